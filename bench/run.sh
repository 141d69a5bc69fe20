#!/usr/bin/env bash
# Times figmerg-cli against cat copying the same export to the same disk, and against the naive
# line-at-a-time filter, in one hyperfine run; then prints MB/s, the ratio to cat and peak RSS.
#   bench/run.sh                  1 GiB export
#   BENCH_SIZE=256M bench/run.sh  another size (K, M, G: powers of 1024)
#   BENCH_RUNS=10 bench/run.sh    timed runs per command (default 5, after one warm-up)
#   FIGMERG_CLI=path bench/run.sh another build of the tool (default build/figmerg-cli)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
size=${BENCH_SIZE:-1G}
runs=${BENCH_RUNS:-5}
cli=${FIGMERG_CLI:-$root/build/figmerg-cli}
data=$root/bench/data
naive=$root/build/bench/naive_filter

die() {
  echo "bench: $*" >&2
  exit 1
}

[[ -x $cli ]] || die "$cli is missing: build it first (cmake -S . -B build && cmake --build build)"
command -v hyperfine >/dev/null || die "hyperfine is missing (apt-get install hyperfine)"
[[ -x /usr/bin/time ]] || die "/usr/bin/time is missing (apt-get install time)"
[[ $size =~ ^[0-9]+[KkMmGg]?$ ]] || die "BENCH_SIZE=$size: give a size such as 256M or 1G"
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS=$runs: give a count of 1 or more"

mkdir -p "$data" "$(dirname "$naive")"

if [[ ! -x $naive || $root/bench/naive_filter.cpp -nt $naive ]]; then
  echo "bench: building $naive"
  g++ -std=c++17 -O2 -Wall -Wextra -o "$naive" "$root/bench/naive_filter.cpp"
fi

input=$data/export-$size.obj
if [[ -f $input ]]; then
  echo "bench: reusing $input"
else
  echo "bench: generating $input"
  # Written under another name first, so that an interrupted run leaves no short export behind
  # to be taken for a whole one next time.
  /usr/bin/time -f "bench: generated in %e s, peak RSS %M KiB" \
    "$root/bench/gen_export.py" --size "$size" --verts 200 --props 1 --seed 1 -o "$input.part"
  mv "$input.part" "$input"
fi
bytes=$(stat -c %s "$input")

# Every output goes to the disk the input is on, so that cat and the filters pay for the same
# writes; each command has its own output, so that the filters' outputs can be compared.
out_cat=$data/out-cat.obj
out_synced=$data/out-cat-fsync.obj
out_file=$data/out-file.obj
out_pipe=$data/out-stdin.obj
out_naive=$data/out-naive.obj
trap 'rm -f "$out_cat" "$out_synced" "$out_file" "$out_pipe" "$out_naive" "$data/hyperfine.json"' EXIT

# figmerg-cli -o flushes its output to the disk before it renames it into place; cat + fsync
# does the same, for a fair look at that cost.
names=(cat "cat + fsync" "figmerg-cli -o" "figmerg-cli stdin" naive)
outputs=("$out_cat" "$out_synced" "$out_file" "$out_pipe" "$out_naive")
commands=(
  "cat '$input' > '$out_cat'"
  "cat '$input' > '$out_synced' && sync '$out_synced'"
  "'$cli' --all --force -o '$out_file' '$input'"
  "'$cli' --all - < '$input' > '$out_pipe'"
  "'$naive' --all < '$input' > '$out_naive'"
)

# Before each run the old output goes and the dirty pages are written back, so that no run pays
# for the writes of the one before it.
hyperfine_args=(--warmup 1 --runs "$runs" --export-json "$data/hyperfine.json")
for i in "${!names[@]}"; do
  hyperfine_args+=(--prepare "rm -f '${outputs[$i]}'; sync")
done
for i in "${!names[@]}"; do
  hyperfine_args+=(--command-name "${names[$i]}" "${commands[$i]}")
done
hyperfine "${hyperfine_args[@]}"

cmp -s "$out_file" "$out_naive" || die "figmerg-cli -o and the naive filter wrote different files"
cmp -s "$out_pipe" "$out_naive" || die "figmerg-cli on stdin and the naive filter wrote different files"

echo "bench: peak memory, one run each"
# Peak memory, one run each outside hyperfine; time's own report goes to a file of its own so
# that the command's redirections stay the command's.
rss=()
for i in "${!names[@]}"; do
  report=$data/time-$i.txt
  case $i in
    0) /usr/bin/time -v -o "$report" cat "$input" >"$out_cat" ;;
    1) /usr/bin/time -v -o "$report" cat "$input" >"$out_synced" ;;
    2) /usr/bin/time -v -o "$report" "$cli" --all --force -o "$out_file" "$input" ;;
    3) /usr/bin/time -v -o "$report" "$cli" --all - <"$input" >"$out_pipe" ;;
    4) /usr/bin/time -v -o "$report" "$naive" --all <"$input" >"$out_naive" ;;
  esac
  rss+=("$(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$report")")
  rm -f "$report"
done

python3 - "$data/hyperfine.json" "$bytes" "${rss[@]}" <<'EOF'
import json
import sys

results = json.load(open(sys.argv[1]))["results"]
size = int(sys.argv[2])
rss_kib = [int(k) for k in sys.argv[3:]]
# Medians: one run held up by the disk's writeback should not move a whole row.
base = results[0]["median"]
print()
print("input: %d bytes (%.1f MiB); MB/s and x cat from the median run" % (size, size / 2**20))
print("%-18s %9s %9s %8s %9s %8s %10s"
      % ("command", "median s", "mean s", "+/- s", "MB/s", "x cat", "peak RSS"))
for result, rss in zip(results, rss_kib):
    median = result["median"]
    print("%-18s %9.3f %9.3f %8.3f %9.0f %8.2f %6.1f MiB" % (
        result["command"], median, result["mean"], result["stddev"] or 0.0,
        size / median / 1e6, median / base, rss / 1024))
EOF

#!/usr/bin/env bash
# figmerg-cli.exe under Wine: the same bytes and exit codes as the native tool for the same
# input, through standard input and output and through files, with a name outside ASCII.
# A console program: no display. Prints one line per check and "N passed, N failed".
#   tests/wine/test_cli.sh [BUILD_DIR]     (default build-win64)
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
source "$HERE/checks.sh"

build=${1:-$ROOT/build-win64}
exe=$build/figmerg-cli.exe
native=${FIGMERG_CLI:-$ROOT/build/figmerg-cli}
wine64=${WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
wineserver=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
for f in "$exe" "$native"; do
  [[ -e $f ]] || { echo "FAILED $f is missing; build with scripts/test.sh"; finish; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/figmerg-cli-wine.XXXXXX")
prefix=$work/prefix
stop() {
  WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null
  WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$wine64" wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }

# Runs the Windows tool in $work/files (drive Z: maps the whole file system) and sets RC, OUT
# and ERR; the console's CR before LF is taken out of the reports, never out of the mesh.
files=$work/files
mkdir -p "$files"
run() {
  (cd "$files" && "$wine64" "$exe" "$@" >"$work/out" 2>"$work/err")
  RC=$?
  ERR=$(tr -d '\r' <"$work/err")
}

sample=$ROOT/examples/two_figures.obj
cp "$sample" "$files/fig.obj"
printf 'v 1 2 3\ng Box_1:2\rf 1 2 3' >"$files/props.obj"

for mode in all human; do
  for input in fig.obj props.obj; do
    "$native" --$mode - <"$files/$input" >"$work/want" 2>/dev/null
    want_rc=$?
    run --$mode - <"$files/$input"
    check "--$mode - on $input: exit code" "$want_rc" "$RC"
    check "--$mode - on $input: the same bytes as the native tool" \
      same "$(cmp -s "$work/want" "$work/out" && echo same)"
  done
done

"$native" --force --human -o "$work/want" "$files/fig.obj" >/dev/null
run --human fig.obj
check "proposed name: exit code" 0 "$RC"
check "proposed name: the output" same "$(cmp -s "$work/want" "$files/figcons.obj" && echo same)"
check "proposed name: the report" \
  "I have created this .OBJ mesh file: figcons.obj (108 groups rewritten, 2 figures)" \
  "$(tr -d '\r' <"$work/out")"

run --human fig.obj
check "existing output: refused" 2 "$RC"
check "existing output: the message" "figmerg-cli: figcons.obj already exists; --force replaces it" "$ERR"

run --all --force -o fig.obj fig.obj
"$native" --force --all -o "$work/want" "$sample" >/dev/null
check "the input as its own output: exit code" 0 "$RC"
check "the input as its own output: replaced whole" same "$(cmp -s "$work/want" "$files/fig.obj" && echo same)"
check "the input as its own output: nothing else left" "fig.obj figcons.obj props.obj" "$(ls "$files" | xargs)"

run gone.obj
check "missing input: exit code" 3 "$RC"
check "missing input: names the file" yes "$([[ $ERR == "figmerg-cli: can't read gone.obj: "* ]] && echo yes || echo "no: $ERR")"
check "missing input: no output" no "$([[ -e $files/gonecons.obj ]] && echo yes || echo no)"

name='café-测试.obj'
cp "$sample" "$files/$name"
run --all "$name"
"$native" --force --all -o "$work/want" "$sample" >/dev/null
check "a name outside ASCII: exit code" 0 "$RC"
check "a name outside ASCII: its proposal holds the output" same \
  "$(cmp -s "$work/want" "$files/café-测试cons.obj" && echo same)"

finish

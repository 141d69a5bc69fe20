#!/usr/bin/env bash
# Builds everything and runs every test: the native build with its tests, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, a minute of fuzzing, both Windows builds, and
# the Windows program's tests under Wine. Installs what is missing first.
set -uo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
jobs=$(nproc)
passed=0
failed=0
failures=()

stage() {
  local name=$1
  shift
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "=== $name FAILED"
  fi
}

# Every build treats a warning as an error: the code is kept free of them on g++, clang and mingw.
strict=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)

format() {
  clang-format --dry-run --Werror src/*/*.cpp src/*/*.h tests/*.cpp tests/*.h tests/wine/*.cpp \
    bench/*.cpp
}

native() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "${strict[@]}" >/dev/null &&
    cmake --build build -j"$jobs" &&
    ctest --test-dir build --output-on-failure -j"$jobs"
}

sanitized() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DFIGMERG_SANITIZE=ON "${strict[@]}" >/dev/null &&
    cmake --build build-asan -j"$jobs" &&
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
}

fuzz() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DFIGMERG_SANITIZE=ON -DFIGMERG_FUZZ=ON "${strict[@]}" >/dev/null &&
    cmake --build build-fuzz -j"$jobs" --target fuzz_consolidate || return 1
  local corpus
  corpus=$(mktemp -d)
  cp tests/fuzz_corpus/* "$corpus"/
  ./build-fuzz/tests/fuzz_consolidate -max_total_time="$FUZZ_SECONDS" -max_len=4096 \
    -print_final_stats=1 "$corpus" 2>&1 | grep -E '^(stat::number_of_executed_units|Done|==|SUMMARY)'
  local rc=${PIPESTATUS[0]}
  rm -rf "$corpus"
  return "$rc"
}

windows() {
  local bits=$1 arch=$2
  cmake -S . -B "build-win$bits" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release "${strict[@]}" >/dev/null &&
    cmake --build "build-win$bits" -j"$jobs" &&
    test -f "build-win$bits/figmerg.exe"
}

wine_tests() {
  local rc=0 script
  for script in tests/wine/test_*.sh; do
    [ -f "$script" ] || continue
    echo "--- $script"
    bash "$script" || rc=1
  done
  return "$rc"
}

./scripts/install-deps.sh || exit 1
stage "source format" format
stage "native build and tests" native
stage "sanitized build and tests" sanitized
stage "fuzzing for ${FUZZ_SECONDS}s" fuzz
stage "64-bit Windows build" windows 64 x86_64
stage "32-bit Windows build" windows 32 i686
stage "Windows program under Wine" wine_tests

echo
[ ${#failures[@]} -gt 0 ] && printf 'failed: %s\n' "${failures[@]}"
echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Runs the Windows file layer's test under Wine, in a Wine prefix of its own that is removed
# afterwards however the script ends. A console program: no display is needed.
#   tests/wine/test_file_io.sh [BUILD_DIR]     (default build-win64)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-win64}
wine64=${WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
wineserver=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}

tests=("$build/tests/wine/file_io_win_test.exe")
[[ -f $build/tests/wine/file_io_win_test_utf8.exe ]] && tests+=("$build/tests/wine/file_io_win_test_utf8.exe")
for t in "${tests[@]}"; do
  [[ -f $t ]] || { echo "test_file_io: $t is missing; build with: cmake --build --preset win64" >&2; exit 2; }
done

prefix=$(mktemp -d "${TMPDIR:-/tmp}/figmerg-io-wine.XXXXXX")
stop() {
  WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true
  WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null || true
  rm -rf "$prefix"
}
trap stop EXIT
trap 'exit 130' INT TERM

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$wine64" wineboot -i >"$prefix/wineboot.log" 2>&1 || { cat "$prefix/wineboot.log" >&2; exit 1; }

status=0
for t in "${tests[@]}"; do
  echo "== $(basename "$t")"
  # Wine's console adds CR before LF; the test's own lines are plain.
  "$wine64" "$t" | tr -d '\r' || status=1
done
exit $status

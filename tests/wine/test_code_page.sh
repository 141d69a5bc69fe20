#!/bin/bash
# Does this Wine honour a manifest that asks for UTF-8 as the ANSI code page? Runs the code-page
# probe with and without that manifest and checks that only the former carries a name outside
# the system code page (café-测试.obj) through CreateFileA, FindFirstFileA and the A open dialog.
# Prints one line per check and a last line "N passed, N failed"; exits non-zero on a failure.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/wine_env.sh"
source "$HERE/checks.sh"
source "$HERE/build_wine_tests.sh"

NAME='café-测试.obj'
NAME_HEX=$(printf '%s' "$NAME" | od -An -tx1 | tr -d ' \n')
DIALOG_CAPTION="code page probe"

value() { sed -n "s/^$1=//p" <<<"$2"; }

# Runs one form of the probe in its own folder, choosing the file it made in the open dialog.
probe() {
  local exe=$1 folder="C:\\$2" out=$WINE_TMP/$2.out dialog
  mkdir -p "$(wine_unix_path "$folder")"
  (cd "$(wine_unix_path "$folder")" && wine_run "$WINE_BIN/$exe" "$folder" dialog >"$out" 2>/dev/null) &
  local pid=$!
  if dialog=$(winctl wait "$DIALOG_CAPTION" "$WINE_WAIT"); then
    winctl set "$dialog" 0x47c "$folder\\$NAME"
    screenshot "code_page-$2" "$dialog"
    winctl press "$dialog" 1
    # Without UTF-8 the name does not exist as typed, and the dialog says so; give up then.
    local box
    if box=$(winctl wait-owned "$dialog" 3 2>/dev/null); then
      winctl press "$box" 1
      winctl wait-gone "$box" 10
      winctl press "$dialog" 2
    fi
  fi
  wait "$pid"
  cat "$out"
}

main() {
  if ! wine_build_all || ! wine_start; then
    echo "FAILED build or start of Wine"
    FAILED=1
    finish
    return
  fi
  local r
  r=$(probe code_page_probe_utf8.exe utf8)
  check "with the manifest: GetACP is 65001" 65001 "$(value acp "$r")"
  check "with the manifest: CreateFileA makes the intended name" yes "$(value exists_w "$r")"
  check "with the manifest: FindFirstFileA returns its UTF-8 bytes" "$NAME_HEX" "$(value found_a "$r")"
  check "with the manifest: the A open dialog returns it" yes "$(value dialog_matches "$r")"
  r=$(probe code_page_probe.exe plain)
  check "without: GetACP is not 65001" yes "$([[ $(value acp "$r") != 65001 ]] && echo yes || echo no)"
  check "without: CreateFileA makes another name" no "$(value exists_w "$r")"
  finish
}

main

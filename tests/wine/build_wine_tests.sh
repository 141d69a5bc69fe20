# Builds the Windows programs of the Wine tests into $WINE_BIN with the 64-bit mingw-w64
# compiler, each only when one of its sources is newer. Sourced by the test scripts after
# wine_env.sh; a CMake build of tests/wine makes the same programs under the same names.

WINE_CXX=${WINE_CXX:-x86_64-w64-mingw32-g++}
WINE_WINDRES=${WINE_WINDRES:-x86_64-w64-mingw32-windres}
WINE_SRC=$(cd "$WINE_ENV_DIR/../../src" && pwd)
WINE_CXXFLAGS=(-std=c++17 -Wall -Wextra -Werror -O2 -static "-I$WINE_SRC")

# wine_build OUTPUT.exe SOURCES... [-- LIBS...]; headers and manifests among the sources only
# decide whether the program is out of date.
wine_build() {
  local out=$WINE_BIN/$1 srcs=() libs=() s stale=
  shift
  while (($#)) && [[ $1 != -- ]]; do srcs+=("$1"); shift; done
  (($#)) && shift && libs=("$@")
  [[ -e $out ]] || stale=1
  for s in "${srcs[@]}"; do [[ $s -nt $out ]] && stale=1; done
  [[ -n $stale ]] || return 0
  local objs=() res
  for s in "${srcs[@]}"; do
    if [[ $s == *.h || $s == *.manifest ]]; then
      continue
    elif [[ $s == *.rc ]]; then
      res=$WINE_BIN/$(basename "$s" .rc).res
      (cd "$(dirname "$s")" && "$WINE_WINDRES" "$(basename "$s")" -O coff -o "$res") || return 1
      objs+=("$res")
    else
      objs+=("$s")
    fi
  done
  "$WINE_CXX" "${WINE_CXXFLAGS[@]}" "${objs[@]}" -o "$out" "${libs[@]}"
}

# WINE_NO_BUILD=1 takes the programs in $WINE_BIN as they are (a CMake build made them).
wine_build_all() {
  [[ -n ${WINE_NO_BUILD:-} ]] && return 0
  mkdir -p "$WINE_BIN"
  local t=$WINE_ENV_DIR gfn=$WINE_SRC/shell/get_file_name.cpp
  wine_build winctl.exe "$t/winctl.cpp" -- -lshell32 &&
    wine_build get_file_name_probe.exe "$t/get_file_name_probe.cpp" "$gfn" \
      "$WINE_SRC/shell/get_file_name.h" -- -lcomdlg32 -lshell32 &&
    wine_build get_file_name_probe_utf8.exe "$t/get_file_name_probe.cpp" "$gfn" \
      "$WINE_SRC/shell/get_file_name.h" "$t/utf8_code_page.rc" "$t/utf8_code_page.manifest" \
      -- -lcomdlg32 -lshell32 &&
    wine_build code_page_probe.exe "$t/code_page_probe.cpp" -- -lcomdlg32 &&
    wine_build code_page_probe_utf8.exe "$t/code_page_probe.cpp" "$t/utf8_code_page.rc" \
      "$t/utf8_code_page.manifest" -- -lcomdlg32
}

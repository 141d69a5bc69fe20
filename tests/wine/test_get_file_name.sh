#!/bin/bash
# GetFileName through the real common dialogs under Wine, driven as a person would: find the
# dialog, read its caption and file name box, type a name, press Open, Save or Cancel, answer
# the dialog's own questions; then check what the probe found in its buffers.
# Prints one line per check and a last line "N passed, N failed"; exits non-zero on a failure.
# Screenshots of every dialog and box go to tests/wine/out/.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/wine_env.sh"
source "$HERE/checks.sh"
source "$HERE/build_wine_tests.sh"

OPEN_CAPTION="file to read .OBJ mesh from?"
SAVE_CAPTION="file to output consolidated .OBJ mesh to?"

control_visibility() {
  awk -v id="$2" -v cls="$3" '$1 == id && $2 == cls { print $3; exit }' <<<"$1"
}

PROBE_PID=
PROBE_OUT=
DIALOG=

# probe_start EXE WRITE SIZE CAPTION INITIAL: runs the probe and waits for its dialog.
probe_start() {
  PROBE_OUT=$(mktemp "$WINE_TMP/probe.XXXXXX")
  (cd "$WINEPREFIX/drive_c" && wine_run "$WINE_BIN/$1" "$2" "$3" "$4" "$5" >"$PROBE_OUT" 2>/dev/null) &
  PROBE_PID=$!
  DIALOG=$(winctl wait "$4" "$WINE_WAIT")
}

# Waits for the probe to end, then prints the value of KEY from its report.
probe_wait() {
  if ! ended "$PROBE_PID" "$WINE_WAIT"; then
    winctl close "$DIALOG" 2>/dev/null
    return 1
  fi
  wait "$PROBE_PID"
}
probe_value() { sed -n "s/^$1=//p" "$PROBE_OUT"; }

# Closes a dialog that a failed check left open, as its close box would, so that the next case
# does not find it.
probe_abandon() {
  winctl close "$DIALOG" 2>/dev/null
  probe_wait
}

# The dialog shows the caption, filter and initial name it was given; the open form shows its
# read-only box, since nothing hides it.
check_dialog() {
  local case=$1 caption=$2 write=$3 shown=$4 listing
  listing=$(winctl show "$DIALOG")
  check "$case: dialog caption" "\"$caption\"" "$(head -n 1 <<<"$listing")"
  check "$case: name box shows the initial name" "$shown" "$(control_text "$listing" 0x47c ComboBoxEx32)"
  check "$case: file type is the OBJ filter" "OBJ files" "$(control_text "$listing" 0x470 ComboBox)"
  if ((write == 0)); then
    check "$case: read-only box shown" visible "$(control_visibility "$listing" 0x410 Button)"
  fi
}

# Folders and files on the prefix's C: drive, in the mixed case a user's disk has.
LONG_DIR='C:\DeepMeshFolder'$(printf 'X%.0s' $(seq 84))'\PoserExports'$(printf 'Y%.0s' $(seq 77))
LONG_OPEN="$LONG_DIR\\Long.OBJ"
LONG_SAVE="$LONG_DIR\\Lone.OBJ"

make_fixtures() {
  mkdir -p "$(wine_unix_path 'C:\Meshes')" "$(wine_unix_path "$LONG_DIR")"
  local f
  for f in 'C:\Meshes\Fig.OBJ' 'C:\Meshes\Café-测试.OBJ' "$LONG_OPEN"; do
    echo "v 0 0 0" >"$(wine_unix_path "$f")"
  done
}

lower_ascii() { tr 'A-Z' 'a-z' <<<"$1"; }

# One person at one dialog: what it is given, what it shows, what is typed, which button is
# pressed, and what the buffers hold afterwards. "-" in want_file leaves the path unchecked
# (a dialog that failed may leave anything in it).
#  case|exe|write|size|initial|shown|typed|button|want_ret|want_file|want_tit
CASES=(
  "open a typed name|get_file_name_probe.exe|0|256|||C:\\Meshes\\Fig.OBJ|1|1|c:\\meshes\\fig.obj|fig.obj"
  "save the proposed name|get_file_name_probe.exe|1|512|C:\\Meshes\\Figcons.obj|Figcons.obj||1|1|c:\\meshes\\figcons.obj|figcons.obj"
  "cancel the open form|get_file_name_probe.exe|0|256|C:\\Meshes\\Prev.OBJ|Prev.OBJ||2|0|c:\\meshes\\prev.obj|"
  "cancel the save form|get_file_name_probe.exe|1|512|C:\\Meshes\\FigCons.OBJ|FigCons.OBJ||2|0|c:\\meshes\\figcons.obj|"
  "cancel keeps accented letters|get_file_name_probe.exe|0|256|C:\\Meshes\\ÀÉ Ünï.OBJ|ÀÉ Ünï.OBJ||2|0|c:\\meshes\\ÀÉ Ünï.obj|"
  "open a 200-character path|get_file_name_probe.exe|0|256|||$LONG_OPEN|1|1|$(lower_ascii "$LONG_OPEN")|long.obj"
  "save a 200-character path|get_file_name_probe.exe|1|512|||$LONG_SAVE|1|1|$(lower_ascii "$LONG_SAVE")|lone.obj"
  "a path longer than the buffer fails|get_file_name_probe.exe|0|128|||$LONG_OPEN|1|0|-|"
  "open a name outside the code page|get_file_name_probe_utf8.exe|0|256|||C:\\Meshes\\Café-测试.OBJ|1|1|c:\\meshes\\café-测试.obj|café-测试.obj"
)

run_case() {
  local case exe write size initial shown typed button want_ret want_file want_tit
  IFS='|' read -r case exe write size initial shown typed button want_ret want_file want_tit <<<"$1"
  local caption=$OPEN_CAPTION
  ((write)) && caption=$SAVE_CAPTION
  probe_start "$exe" "$write" "$size" "$caption" "$initial"
  if [[ -z $DIALOG ]]; then
    check "$case: dialog appears" yes no
    return
  fi
  check_dialog "$case" "$caption" "$write" "$shown"
  [[ -n $typed ]] && winctl set "$DIALOG" 0x47c "$typed"
  screenshot "get_file_name-${case// /_}" "$DIALOG"
  winctl press "$DIALOG" "$button"
  if ! probe_wait; then
    check "$case: dialog closes" yes no
    return
  fi
  check "$case: returns $want_ret" "$want_ret" "$(probe_value ret)"
  [[ $want_file != - ]] && check "$case: path buffer" "$want_file" "$(probe_value file)"
  check "$case: title buffer" "$want_tit" "$(probe_value tit)"
  check "$case: nothing written past the buffer" intact "$(probe_value guard)"
}

# Pressing the default button opens a box owned by the dialog; prints the box's handle.
press_for_box() {
  winctl press "$DIALOG" 1
  winctl wait-owned "$DIALOG" 10
}

# The save form asks before it replaces a file: No keeps the dialog open, Yes accepts the name.
test_overwrite_question() {
  local case="save over an existing file" box listing
  probe_start get_file_name_probe.exe 1 512 "$SAVE_CAPTION" 'C:\Meshes\Figcons.obj'
  winctl set "$DIALOG" 0x47c 'C:\Meshes\Fig.OBJ'
  box=$(press_for_box)
  check "$case: a question box appears" yes "$([[ -n $box ]] && echo yes || echo no)"
  [[ -n $box ]] || { probe_abandon; return; }
  screenshot get_file_name-overwrite_question "$box"
  listing=$(winctl show "$box")
  check "$case: the box asks yes or no" "&Yes|&No" \
    "$(control_text "$listing" 0x6 Button)|$(control_text "$listing" 0x7 Button)"
  winctl press "$box" 7
  winctl wait-gone "$box" 10
  check "$case: No keeps the dialog open" 1 "$(winctl wait-gone "$DIALOG" 2 2>/dev/null; echo $?)"
  box=$(press_for_box)
  [[ -n $box ]] && winctl press "$box" 6
  probe_wait
  check "$case: Yes returns 1" 1 "$(probe_value ret)"
  check "$case: path buffer" 'c:\meshes\fig.obj' "$(probe_value file)"
  check "$case: title buffer" fig.obj "$(probe_value tit)"
}

# The open form refuses a name that does not exist: a box says so and the dialog stays.
test_missing_name_refused() {
  local case="open a missing name" box listing
  probe_start get_file_name_probe.exe 0 256 "$OPEN_CAPTION" 'C:\Meshes\Prev.OBJ'
  winctl set "$DIALOG" 0x47c 'C:\Meshes\Missing.OBJ'
  box=$(press_for_box)
  check "$case: a box appears" yes "$([[ -n $box ]] && echo yes || echo no)"
  [[ -n $box ]] || { probe_abandon; return; }
  screenshot get_file_name-missing_name "$box"
  listing=$(winctl show "$box")
  check "$case: the box says so" yes \
    "$([[ -n $(control_text "$listing" 0xffff Static) ]] && echo yes || echo no)"
  winctl press "$box" 1
  winctl wait-gone "$box" 10
  check "$case: the dialog stays" 1 "$(winctl wait-gone "$DIALOG" 2 2>/dev/null; echo $?)"
  winctl press "$DIALOG" 2
  probe_wait
  check "$case: cancel afterwards returns 0" 0 "$(probe_value ret)"
  check "$case: earlier name kept, lower-cased" 'c:\meshes\prev.obj' "$(probe_value file)"
}

main() {
  if ! wine_ready; then
    finish
    return
  fi
  check "fixture: the long paths have 200 characters" "200 200" "${#LONG_OPEN} ${#LONG_SAVE}"
  make_fixtures
  local c
  for c in "${CASES[@]}"; do run_case "$c"; done
  test_overwrite_question
  test_missing_name_refused
  finish
}

main

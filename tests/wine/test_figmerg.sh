#!/bin/bash
# figmerg.exe end to end under Wine, used as a person uses it: started with a path, started idle
# and given a file through the menu's open dialog or a drop, answered through the real dialogs
# and boxes. Every output file is compared byte for byte with figmerg-cli's output for the same
# input and mode, and every box is read: caption, text, buttons, icon and owner.
# Prints one line per check and a last line "N passed, N failed"; exits non-zero on a failure.
# Screenshots of the main window and of every dialog and box go to tests/wine/out/;
# FIGMERG_UPDATE_DOCS=1 also refreshes docs/main-window.png, the README's picture.
# Knobs: FIGMERG_WIN_BUILD (default build-win64), FIGMERG_CLI (default build/figmerg-cli).
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
source "$HERE/wine_env.sh"
source "$HERE/checks.sh"
source "$HERE/build_wine_tests.sh"

WIN_BUILD=${FIGMERG_WIN_BUILD:-$ROOT/build-win64}
FIGMERG=$WIN_BUILD/figmerg.exe
# The same program with a drop hook: a drop handle cannot be made in another process.
FIGMERG_TEST=$WIN_BUILD/figmerg-test.exe
CLI=${FIGMERG_CLI:-$ROOT/build/figmerg-cli}

OPEN_CAPTION="file to read .OBJ mesh from?"
SAVE_CAPTION="file to output consolidated .OBJ mesh to?"
MODE_CAPTION="figmerg"
MODE_TEXT="consolidate all model parts (yes), or only human parts (no)?"
CREATED="I have created this .OBJ mesh file"
NOT_POSER="this file weren't exported by Poser, or it ain't a mesh file"
NOT_OBJ="this is not an .OBJ file"
CANT_READ="I can't read this file"
TOO_LONG="this path is too long"
READING="reading this file"
ONE_AT_A_TIME="one file at a time please"
HELP_CAPTION="figmerg help"
HELP_TEXT='In a 3D graphics .OBJ file which was exported by Poser in "each body part as a group" mode, consolidate each Poser model into one group. You can choose to operate on all the models, or only on those groups which have the names of usual parts of Poser human models. This program will accept drag-and-drop.'
# Long enough for a box or dialog that was going to come to have come.
SETTLE=1.5
# Windows that appear inside a program that is already up come quickly; a fresh start may not.
STEP_WAIT=20

SHOTS=0

lower_ascii() { tr 'A-Z' 'a-z' <<<"$1"; }

# Numbered so that the screenshots list in the order they were taken.
shot() {
  SHOTS=$((SHOTS + 1))
  local name
  name=$(printf 'figmerg-%02d-%s' "$SHOTS" "$(tr -cs 'A-Za-z0-9' '_' <<<"$1" | sed 's/_$//')")
  screenshot "$name" "${2:-}"
  LAST_SHOT=$WINE_OUT/$name.png
}

# ---- the program under test ------------------------------------------------------------------

PROG_PID=
MAIN=
WPID=
WIN=
EXIT_STATUS=

# program_start CASE FOLDER EXE ARGS...: starts the program in the Windows folder FOLDER and
# waits for its main window.
program_start() {
  local case=$1 folder=$2
  shift 2
  (cd "$(wine_unix_path "$folder")" && exec "$WINE64" "$@" >/dev/null 2>&1) &
  PROG_PID=$!
  MAIN=$(winctl wait FIGMERG "$WINE_WAIT" 2>/dev/null)
  WPID=
  if [[ -z $MAIN ]]; then
    check "$case: main window appears" yes no
    program_abandon
    return 1
  fi
  WPID=$(winctl pid "$MAIN")
}

# Sets EXIT_STATUS to the program's exit status, or to "running" if it has not ended in time.
program_wait() {
  if ! ended "$PROG_PID" "$STEP_WAIT"; then
    EXIT_STATUS=running
    return
  fi
  wait "$PROG_PID"
  EXIT_STATUS=$?
}

# Ends a program that a failed check left running, by the id of the process started here.
program_kill() {
  if kill -0 "$PROG_PID" 2>/dev/null; then
    kill "$PROG_PID"
    wait "$PROG_PID" 2>/dev/null
  fi
  PROG_PID=
}

# program_exit CASE HOW: ends the program as a user would, by "e&xit" (menu), by WM_CLOSE
# (close) or by the close box on the frame (sys), and checks that it ends with exit code 0.
program_exit() {
  local case=$1 how=$2 label
  case $how in
    menu) winctl command "$MAIN" 262 && label="e&xit" ;;
    close) winctl close "$MAIN" && label=WM_CLOSE ;;
    sys) winctl sys "$MAIN" close && label="the close box" ;;
  esac
  program_wait
  check "$case: closed by ${label:-$how}, the process ends with exit code 0" 0 "$EXIT_STATUS"
  [[ $EXIT_STATUS == running ]] && program_kill
  PROG_PID=
}

# A case that cannot go on ends its program however it can.
program_abandon() {
  [[ -n $PROG_PID ]] || return 0
  program_kill
}

# The captions of the program's visible top-level windows, sorted, joined by "|".
program_windows() {
  winctl list | awk -v pid="$WPID" '$2 == pid && $3 == "visible" { sub(/^[^"]*"/, ""); sub(/"$/, ""); print }' |
    LC_ALL=C sort | paste -sd'|'
}

# After a while, the program shows its main window and nothing else.
check_idle() {
  sleep "$SETTLE"
  check "$1: nothing but the main window is shown" FIGMERG "$(program_windows)"
}

# dialog_field HWND ID CLASS: the text of one control of a dialog.
dialog_field() { control_text "$(winctl show "$1")" "$2" "$3"; }

state_word() { winctl state "$1" | cut -d' ' -f"$2"; }

# ---- windows ---------------------------------------------------------------------------------

# await CASE CAPTION [SECONDS]: sets WIN to the visible window so captioned, or fails the case.
await() {
  WIN=$(winctl wait "$2" "${3:-$STEP_WAIT}" 2>/dev/null)
  [[ -n $WIN ]] && return 0
  check "$1 appears" yes "no; shown: $(program_windows)"
  return 1
}

# The buttons and icon that a box's style gives it.
style_of() {
  case $1 in
    ok) echo "OK|none" ;;
    warning) echo "OK|icon" ;;
    yesno) echo "&Yes|&No|none" ;;
  esac
}

# check_box CASE HWND CAPTION TEXT STYLE OWNER: STYLE is ok (MB_OK), warning
# (MB_ICONEXCLAMATION) or yesno (MB_YESNO).
check_box() {
  local case=$1 box=$2 caption=$3 text=$4 style=$5 owner=$6 listing buttons
  listing=$(winctl show "$box")
  shot "$case" "$box"
  check "$case: caption" "\"$caption\"" "$(head -n 1 <<<"$listing")"
  check "$case: text" "$text" "$(control_text "$listing" 0xffff Static)"
  buttons=$(awk '$2 == "Button" && $3 == "visible" { sub(/^[^"]*"/, ""); sub(/"$/, ""); print }' <<<"$listing" | paste -sd'|')
  check "$case: buttons and icon" "$(style_of "$style")" "$buttons|$(winctl icon "$box")"
  check "$case: owner" "$owner" "$(winctl owner "$box")"
}

# expect_box CASE CAPTION TEXT STYLE [BUTTON]: the next box, owned by the main window, read and
# answered.
expect_box() {
  local case=$1 caption=$2 text=$3 style=$4 button=${5:-1}
  await "$case" "$caption" || return 1
  local box=$WIN
  check_box "$case" "$box" "$caption" "$text" "$style" "$MAIN"
  winctl press "$box" "$button"
  winctl wait-gone "$box" "$STEP_WAIT" >/dev/null
}

# check_dialog CASE HWND CAPTION FOLDER NAME: a file dialog owned by the main window, showing
# FOLDER (its last component; "-" leaves it unchecked) and NAME in its name box.
check_dialog() {
  local case=$1 dialog=$2 caption=$3 folder=$4 name=$5 listing
  listing=$(winctl show "$dialog")
  shot "$case" "$dialog"
  check "$case: caption" "\"$caption\"" "$(head -n 1 <<<"$listing")"
  [[ $folder == - ]] || check "$case: folder shown" "$folder" "$(control_text "$listing" 0x471 ComboBox)"
  check "$case: name shown" "$name" "$(control_text "$listing" 0x47c ComboBoxEx32)"
  check "$case: owner" "$MAIN" "$(winctl owner "$dialog")"
}

# expect_save CASE FOLDER NAME: the save dialog with its proposal; leaves it open in WIN.
expect_save() {
  await "$1: save dialog" "$SAVE_CAPTION" || return 1
  check_dialog "$1: save dialog" "$WIN" "$SAVE_CAPTION" "$2" "$3"
}

press_and_wait_gone() {
  winctl press "$1" "$2"
  winctl wait-gone "$1" "$STEP_WAIT" >/dev/null
}

# answer_mode CASE yes|no: the mode question, which has no owner and so leaves the main window
# enabled, read and answered.
answer_mode() {
  local case="$1: mode question" answer=$2
  await "$case" "$MODE_CAPTION" || return 1
  local box=$WIN
  check_box "$case" "$box" "$MODE_CAPTION" "$MODE_TEXT" yesno 0x0
  check "$case: the main window stays enabled" enabled "$(state_word "$MAIN" 2)"
  if [[ $answer == yes ]]; then
    press_and_wait_gone "$box" 6
  else
    press_and_wait_gone "$box" 7
  fi
}

# ---- files -----------------------------------------------------------------------------------

# A Poser export with body-part groups of figures N and N+1 and a prop of figure N+2, in mixed
# line ends, with the group lines that must stay (no colon, a capital G, a tab), a line and a
# group line longer than a read, and no line end after the last line.
poser_export() {
  local a=$2 b=$(($2 + 1)) c=$(($2 + 2))
  {
    printf '# Poser export, each body part as a group\r\nmtllib scene.mtl\n'
    printf 'g hip:%s\r\nusemtl Skin\r\nv 0.1 0.2 0.3\r\nv 0.4 0.5 0.6\nf 1 2 3\r\n' "$a"
    printf 'g lThigh:%s\nvt 0.5 0.5\r\nf 1/1 2/1 3/1\n' "$a"
    printf 'g Head:%s\r\nf 1 2 3\r\n' "$b"
    printf 'g Box_1:%s\r\nusemtl Wood\r\nf 3 2 1\r\n' "$c"
    printf 'g hip\r\nG chest:%s\r\ng\thip:%s\r\n' "$a" "$a"
    printf '# %s\r\n' "$(printf 'c%.0s' $(seq 300))"
    printf 'g rThigh:%s%s\r\n' "$b" "$(printf 'x%.0s' $(seq 280))"
    printf 'g chest:%s' "$b"
  } >"$1"
}

# A mesh with no group line that could be rewritten.
plain_mesh() {
  printf '# plain mesh\r\nv 0 0 0\r\nv 1 0 0\nv 0 1 0\r\ng default\r\nf 1 2 3\r\n' >"$1"
}

# Sets EXPECTED to figmerg-cli's output for SOURCE in MODE (all or human).
expected_output() {
  local source=$1 mode=$2 key
  key=$(sha1sum "$source" | cut -c1-16)
  EXPECTED=$WINE_TMP/expected/$key-$mode.obj
  [[ -e $EXPECTED ]] && return
  mkdir -p "$WINE_TMP/expected"
  "$CLI" "--$mode" -o "$EXPECTED" "$source" >/dev/null 2>&1
}

# check_output CASE OUTPUT SOURCE MODE: OUTPUT (a Windows path) holds exactly what figmerg-cli
# writes for SOURCE (a Windows path, or a Unix path) in MODE.
check_output() {
  local case=$1 output source=$3 mode=$4 got
  output=$(wine_unix_path "$2")
  [[ $source == [Cc]:* ]] && source=$(wine_unix_path "$source")
  expected_output "$source" "$mode"
  if [[ ! -e $output ]]; then
    got=missing
  elif cmp -s "$EXPECTED" "$output"; then
    got=identical
  else
    got=different
  fi
  check "$case: output is figmerg-cli --$mode's" identical "$got"
}

# The names in a Windows folder, sorted, joined by "|".
listing() { ls -A "$(wine_unix_path "$1")" | LC_ALL=C sort | paste -sd'|'; }

# listing_with BEFORE NAME: a listing that BEFORE was, with NAME added.
listing_with() { { tr '|' '\n' <<<"$1"; echo "$2"; } | grep -v '^$' | LC_ALL=C sort -u | paste -sd'|'; }

ROOT_FOLDER='C:\'
M='C:\Meshes'
LONG_DIR='C:\DeepMeshFolder'$(printf 'X%.0s' $(seq 84))'\PoserExports'$(printf 'Y%.0s' $(seq 77))
LONG_INPUT="$LONG_DIR\\Long.OBJ"
# 255 bytes, the most the input buffer holds.
FULL_DIR="$M\\$(printf 'D%.0s' $(seq 120))"
FULL_INPUT="$FULL_DIR\\$(printf 'N%.0s' $(seq 120)).obj"
PROGRAM_DIR='C:\Program Files\fig merg'
# A tidy folder for the README's picture.
SCENES='C:\Poser Exports'

make_fixtures() {
  local d
  for d in "$M" 'C:\My Meshes' 'C:\Work' 'C:\Other' "$LONG_DIR" "$FULL_DIR" "$PROGRAM_DIR" \
    "$SCENES"; do
    mkdir -p "$(wine_unix_path "$d")"
  done
  local f
  for f in "$M\\Fig.obj" "$M\\Scene.OBJ" "$M\\café-测试.obj" "$M\\notes.txt" \
    'C:\My Meshes\Fig Two.obj' "$LONG_INPUT" "$FULL_INPUT" 'C:\Work\rel.obj' \
    "$SCENES\Scene.OBJ" "$SCENES\Crowd.obj"; do
    poser_export "$(wine_unix_path "$f")" 1
  done
  # Other content, so that an output made from the wrong file shows.
  poser_export "$(wine_unix_path "$M\\Other.obj")" 7
  poser_export "$(wine_unix_path 'C:\Other\rel.obj')" 4
  plain_mesh "$(wine_unix_path "$M\\plain.obj")"
  cp "$FIGMERG" "$(wine_unix_path "$PROGRAM_DIR\\figmerg.exe")"
}

# The comparisons below can only tell a right output from a wrong one if the modes differ.
check_fixtures() {
  local fig all human other
  fig=$(wine_unix_path "$M\\Fig.obj")
  expected_output "$fig" all
  all=$EXPECTED
  expected_output "$fig" human
  human=$EXPECTED
  expected_output "$(wine_unix_path "$M\\Other.obj")" all
  other=$EXPECTED
  check "fixture: all and human outputs differ" yes "$(cmp -s "$all" "$human" && echo no || echo yes)"
  check "fixture: the human output differs from the input" yes "$(cmp -s "$human" "$fig" && echo no || echo yes)"
  check "fixture: another export gives another output" yes "$(cmp -s "$all" "$other" && echo no || echo yes)"
  check "fixture: the long paths have 200 and 255 bytes" "200 255" "${#LONG_INPUT} $(printf %s "$FULL_INPUT" | wc -c)"
}

# ---- started with a path ---------------------------------------------------------------------

# The run starts at the first paint, before the message loop: the save dialog comes up by itself
# over the disabled, maximised main window, proposing the input's name with its last four
# characters replaced by "cons.obj". Later paints start no second run.
test_command_line_run() {
  local case="command line" before
  before=$(listing "$M")
  program_start "$case" "$ROOT_FOLDER" "$FIGMERG" "$M\\Fig.obj" || return
  expect_save "$case" Meshes Figcons.obj || { program_abandon; return; }
  local save=$WIN
  shot "$case: main window with its save dialog"
  check "$case: main window under the dialog" "visible disabled maximized menu" "$(winctl state "$MAIN")"
  local x y
  read -r x y _ < <(winctl rect "$MAIN")
  check "$case: the maximised window's top-left corner" "-4 -4" "$x $y"
  press_and_wait_gone "$save" 1
  answer_mode "$case" yes || { program_abandon; return; }
  expect_box "$case: report" "$CREATED" 'c:\meshes\figcons.obj' ok || { program_abandon; return; }
  check_output "$case" "$M\\figcons.obj" "$M\\Fig.obj" all
  check "$case: the folder holds the output and nothing else new" "$(listing_with "$before" figcons.obj)" "$(listing "$M")"
  check_idle "$case: after the run"
  shot "$case: idle main window"
  winctl sys "$MAIN" minimize
  sleep 0.5
  winctl sys "$MAIN" restore
  sleep 0.5
  winctl repaint "$MAIN"
  check_idle "$case: later paints start no second run"
  check "$case: restored maximised" "visible enabled maximized menu" "$(winctl state "$MAIN")"
  program_exit "$case" menu
}

# Started with a path in one folder, the save dialog browsed to another: the input is still the
# start-up folder's file, not the other folder's file of the same name.
test_relative_path() {
  local case="relative command-line path"
  program_start "$case" 'C:\Work' "$FIGMERG" rel.obj || return
  expect_save "$case" Work relcons.obj || { program_abandon; return; }
  local save=$WIN
  # Typing a folder and pressing Save browses into it, as it does on Windows.
  winctl set "$save" 0x47c 'C:\Other'
  winctl press "$save" 1
  sleep 1
  check "$case: the dialog went to the other folder" Other "$(dialog_field "$save" 0x471 ComboBox)"
  winctl set "$save" 0x47c 'C:\Other\RelOut.obj'
  press_and_wait_gone "$save" 1
  answer_mode "$case" yes || { program_abandon; return; }
  expect_box "$case: report" "$CREATED" 'c:\other\relout.obj' ok || { program_abandon; return; }
  check_output "$case: read from the start-up folder" 'C:\Other\relout.obj' 'C:\Work\rel.obj' all
  check_idle "$case: after the run"
  program_exit "$case" close
}

# Command-line runs from the argument to the report, one row each:
#  case|exit by|argument|second argument|warning text|folder shown|name shown|answer|
#  report caption|report text|output|source|mode
# The output is a Windows path whose folder has the case it has on disk; "-" means none may
# appear. The report text "=out" stands for the output path as the dialog leaves it, in lower case.
CMDLINE_CASES=(
  "quoted path with a blank and a second argument|close|C:\\My Meshes\\Fig Two.obj|$M\\Other.obj||My Meshes|Fig Twocons.obj|no|$CREATED|=out|C:\\My Meshes\\fig twocons.obj|C:\\My Meshes\\Fig Two.obj|human"
  "non-ASCII path|sys|$M\\café-测试.obj|||Meshes|café-测试cons.obj|yes|$CREATED|=out|$M\\café-测试cons.obj|$M\\café-测试.obj|all"
  "200-character path|menu|$LONG_INPUT|||$(basename "${LONG_DIR//\\//}")|Longcons.obj|no|$CREATED|=out|$LONG_DIR\\longcons.obj|$LONG_INPUT|human"
  "255-byte path|menu|$FULL_INPUT|||$(basename "${FULL_DIR//\\//}")|$(printf 'N%.0s' $(seq 120))cons.obj|yes|$CREATED|=out|$FULL_DIR\\$(lower_ascii "$(printf 'N%.0s' $(seq 120))")cons.obj|$FULL_INPUT|all"
  "not an .OBJ name|menu|$M\\notes.txt||$M\\notes.txt|Meshes|notescons.obj|yes|$CREATED|=out|$M\\notescons.obj|$M\\notes.txt|all"
  "file without groups|menu|$M\\plain.obj|||Meshes|plaincons.obj|yes|$NOT_POSER|$M\\plain.obj|$M\\plaincons.obj|$M\\plain.obj|all"
  "missing input|close|$M\\Missing.obj|||Meshes|Missingcons.obj|yes|$CANT_READ|$M\\Missing.obj|-|$M\\Missing.obj|all"
)

run_command_line_case() {
  local case how arg arg2 warning folder name answer caption text output source mode
  IFS='|' read -r case how arg arg2 warning folder name answer caption text output source mode <<<"$1"
  local out_folder=${output%\\*} out_name=${output##*\\} style=warning before
  [[ $output == - ]] && out_folder=${source%\\*} out_name=${source##*\\}
  [[ $caption == "$CREATED" ]] && style=ok
  [[ $text == =out ]] && text=$(lower_ascii "$output")
  before=$(listing "$out_folder")
  local args=("$arg")
  [[ -n $arg2 ]] && args+=("$arg2")
  program_start "$case" "$ROOT_FOLDER" "$FIGMERG" "${args[@]}" || return
  if [[ -n $warning ]]; then
    expect_box "$case: warning" "$NOT_OBJ" "$warning" warning || { program_abandon; return; }
  fi
  expect_save "$case" "$folder" "$name" || { program_abandon; return; }
  press_and_wait_gone "$WIN" 1
  answer_mode "$case" "$answer" || { program_abandon; return; }
  expect_box "$case: report" "$caption" "$text" "$style" || { program_abandon; return; }
  if [[ $output == - ]]; then
    check "$case: no output file, nothing left in the folder" "$before" "$(listing "$out_folder")"
  else
    check_output "$case" "$output" "$source" "$mode"
    check "$case: the folder holds the output and nothing else new" "$(listing_with "$before" "$out_name")" "$(listing "$out_folder")"
  fi
  if [[ -n $arg2 ]]; then
    # Where a run of it would have put its output: its folder, its name lower-cased.
    local unused name2=${arg2##*\\}
    unused=$(wine_unix_path "${arg2%\\*}\\$(lower_ascii "${name2%????}")cons.obj")
    check "$case: the second argument is not run" absent "$([[ -e $unused ]] && echo present || echo absent)"
  fi
  check_idle "$case: after the run"
  program_exit "$case" "$how"
}

# An argument longer than the input buffer never runs: a box shows its first 255 bytes, cut
# back to a whole UTF-8 character.
#  case|argument|bytes shown
TOO_LONG_CASES=(
  "256-byte path|$M\\$(printf 'L%.0s' $(seq 242)).obj|255"
  "long path cut inside a character|$M\\$(printf '测%.0s' $(seq 100)).obj|253"
)

run_too_long_case() {
  local case arg bytes before
  IFS='|' read -r case arg bytes <<<"$1"
  case="too long: $case"
  before=$(listing "$M")
  program_start "$case" "$ROOT_FOLDER" "$FIGMERG" "$arg" || return
  expect_box "$case" "$TOO_LONG" "$(printf %s "$arg" | head -c "$bytes")" warning || { program_abandon; return; }
  check_idle "$case: no dialog follows"
  check "$case: no file written" "$before" "$(listing "$M")"
  program_exit "$case" menu
}

# ---- started without a path ------------------------------------------------------------------

# Started from a quoted program path holding a blank, with nothing after it: no run, an idle
# maximised window with its menu; the help box; the close box ends it.
test_idle_window() {
  local case="started without arguments" menu
  program_start "$case" "$ROOT_FOLDER" "$PROGRAM_DIR\\figmerg.exe" || return
  check "$case: window state" "visible enabled maximized menu" "$(winctl state "$MAIN")"
  check_idle "$case"
  shot "$case: idle main window"
  menu=$(winctl menu "$(wine_path "$FIGMERG")" FIGMERG)
  check "$case: menu bar item 1" '256 command "&consolidate each model in OBJ mesh file exported by Poser"' "$(sed -n 1p <<<"$menu")"
  check "$case: menu bar item 2" '262 command "e&xit"' "$(sed -n 2p <<<"$menu")"
  check "$case: menu bar item 3" '263 command "&help"' "$(sed -n 3p <<<"$menu")"
  check "$case: menu bar has three items" 3 "$(grep -c . <<<"$menu")"
  winctl command "$MAIN" 263
  expect_box "help" "$HELP_CAPTION" "$HELP_TEXT" ok || { program_abandon; return; }
  check_idle "help: afterwards"
  program_exit "$case" sys
}

# The open dialog of "&consolidate...", then the run; a second time the dialog starts from the
# last input, lower-cased as the dialog left it. The first save dialog is the README's picture.
test_menu_route() {
  local case="menu" open
  program_start "$case" "$ROOT_FOLDER" "$FIGMERG" || return
  winctl command "$MAIN" 256
  await "$case: open dialog" "$OPEN_CAPTION" || { program_abandon; return; }
  open=$WIN
  # Which folder it opens in is the dialog's own choice (it remembers the last one).
  check_dialog "$case: open dialog" "$open" "$OPEN_CAPTION" - ""
  winctl set "$open" 0x47c "$SCENES\\Scene.OBJ"
  press_and_wait_gone "$open" 1
  expect_save "$case" "${SCENES##*\\}" scenecons.obj || { program_abandon; return; }
  local save=$WIN
  # Moved off the menu bar, so that the picture shows both.
  winctl move "$save" 120 70
  sleep 0.5
  shot "main window with its save dialog"
  readme_picture "$LAST_SHOT"
  press_and_wait_gone "$save" 1
  answer_mode "$case" yes || { program_abandon; return; }
  expect_box "$case: report" "$CREATED" "$(lower_ascii "$SCENES\\scenecons.obj")" ok || { program_abandon; return; }
  check_output "$case" "$SCENES\\scenecons.obj" "$SCENES\\Scene.OBJ" all
  check_idle "$case: after the run"

  case="menu, 200-character path"
  winctl command "$MAIN" 256
  await "$case: open dialog" "$OPEN_CAPTION" || { program_abandon; return; }
  open=$WIN
  check "$case: open dialog starts from the last input" scene.obj "$(dialog_field "$open" 0x47c ComboBoxEx32)"
  winctl set "$open" 0x47c "$LONG_INPUT"
  press_and_wait_gone "$open" 1
  expect_save "$case" "$(basename "${LONG_DIR//\\//}")" longcons.obj || { program_abandon; return; }
  winctl set "$WIN" 0x47c "$LONG_DIR\\ByMenu.obj"
  press_and_wait_gone "$WIN" 1
  answer_mode "$case" no || { program_abandon; return; }
  expect_box "$case: report" "$CREATED" "$(lower_ascii "$LONG_DIR\\ByMenu.obj")" ok || { program_abandon; return; }
  check_output "$case" "$LONG_DIR\\bymenu.obj" "$LONG_INPUT" human
  check_idle "$case: after the run"
  program_exit "$case" menu
}

# The README's picture of the main window, cropped to the window's top left where the menu bar
# and the dialog are; refreshed only on request, so that a test run leaves the tree clean.
readme_picture() {
  [[ ${FIGMERG_UPDATE_DOCS:-} == 1 && -e $1 ]] || return 0
  mkdir -p "$ROOT/docs"
  convert "$1" -crop 800x360+0+0 +repage "$ROOT/docs/main-window.png"
}

# ---- drops -----------------------------------------------------------------------------------

# One file dropped: "reading this file" captioned with its path, then the run. Three files: the
# refusal and nothing else.
test_drops() {
  local case="drop one file" before
  program_start "$case" "$ROOT_FOLDER" "$FIGMERG_TEST" || return
  winctl drop "$MAIN" "$M\\café-测试.obj"
  expect_box "$case: box" "$M\\café-测试.obj" "$READING" ok || { program_abandon; return; }
  expect_save "$case" Meshes café-测试cons.obj || { program_abandon; return; }
  winctl set "$WIN" 0x47c "$M\\Dropped.obj"
  press_and_wait_gone "$WIN" 1
  answer_mode "$case" no || { program_abandon; return; }
  expect_box "$case: report" "$CREATED" 'c:\meshes\dropped.obj' ok || { program_abandon; return; }
  check_output "$case" "$M\\dropped.obj" "$M\\café-测试.obj" human
  check_idle "$case: after the run"

  case="drop three files"
  before=$(listing "$M")
  winctl drop "$MAIN" "$M\\Fig.obj" "$M\\Other.obj" "$M\\Scene.OBJ"
  expect_box "$case" dragdrop "$ONE_AT_A_TIME" warning || { program_abandon; return; }
  check_idle "$case: no dialog follows"
  check "$case: no file written" "$before" "$(listing "$M")"
  program_exit "$case" sys
}

# While the first run's mode question is open, the menu's open command and a drop are both
# refused, and the first run goes on with its own paths.
test_second_run() {
  local case="second run" question before
  program_start "$case" "$ROOT_FOLDER" "$FIGMERG_TEST" || return
  winctl command "$MAIN" 256
  await "$case: open dialog" "$OPEN_CAPTION" || { program_abandon; return; }
  winctl set "$WIN" 0x47c "$M\\Fig.obj"
  press_and_wait_gone "$WIN" 1
  await "$case: save dialog" "$SAVE_CAPTION" || { program_abandon; return; }
  winctl set "$WIN" 0x47c "$M\\First.obj"
  press_and_wait_gone "$WIN" 1
  await "$case: mode question" "$MODE_CAPTION" || { program_abandon; return; }
  question=$WIN
  before=$(listing "$M")

  local how
  for how in menu drop; do
    if [[ $how == menu ]]; then
      winctl command "$MAIN" 256
    else
      winctl drop "$MAIN" "$M\\Other.obj"
    fi
    WIN=$(winctl wait-owned "$MAIN" "$STEP_WAIT" 2>/dev/null)
    if [[ -z $WIN ]]; then
      check "$case by $how: refusal appears" yes "no; shown: $(program_windows)"
      program_abandon
      return
    fi
    local box=$WIN
    check_box "$case by $how: refusal" "$box" "$MODE_CAPTION" "$ONE_AT_A_TIME" warning "$MAIN"
    press_and_wait_gone "$box" 1
    sleep "$SETTLE"
    check "$case by $how: only the question stays open" "FIGMERG|figmerg" "$(program_windows)"
  done
  check "$case: nothing written while the question is open" "$before" "$(listing "$M")"
  press_and_wait_gone "$question" 6
  expect_box "$case: the first run's report" "$CREATED" 'c:\meshes\first.obj' ok || { program_abandon; return; }
  check_output "$case: the first run's output" "$M\\first.obj" "$M\\Fig.obj" all
  check "$case: the refused drop wrote nothing" "$(listing_with "$before" first.obj)" "$(listing "$M")"
  check_idle "$case: after the run"
  program_exit "$case" close
}

# Ending the program while the mode question is open answers nothing: no file is written, and
# the process still ends with exit code 0.
test_exit_during_question() {
  local case="exit during the question" before how
  for how in menu close; do
    before=$(listing "$M")
    program_start "$case" "$ROOT_FOLDER" "$FIGMERG" "$M\\Fig.obj" || return
    expect_save "$case" Meshes Figcons.obj || { program_abandon; return; }
    winctl set "$WIN" 0x47c "$M\\Unchosen.obj"
    press_and_wait_gone "$WIN" 1
    await "$case: mode question" "$MODE_CAPTION" || { program_abandon; return; }
    program_exit "$case by $how" "$how"
    check "$case by $how: nothing written" "$before" "$(listing "$M")"
  done
}

main() {
  local missing=
  for f in "$FIGMERG" "$FIGMERG_TEST" "$CLI"; do [[ -e $f ]] || missing+=" $f"; done
  if [[ -n $missing ]]; then
    echo "FAILED missing:$missing; build with: cmake --preset win64 && cmake --build --preset win64, and cmake -S . -B build && cmake --build build"
    FAILED=1
    finish
    return
  fi
  if ! wine_ready; then
    finish
    return
  fi
  make_fixtures
  check_fixtures
  test_command_line_run
  local c
  for c in "${CMDLINE_CASES[@]}"; do run_command_line_case "$c"; done
  for c in "${TOO_LONG_CASES[@]}"; do run_too_long_case "$c"; done
  test_relative_path
  test_idle_window
  test_menu_route
  test_drops
  test_second_run
  test_exit_during_question
  finish
}

main

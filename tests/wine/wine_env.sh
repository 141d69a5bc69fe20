# A private Windows desktop for GUI tests: its own Xvfb display and its own temporary Wine
# prefix, both ended when the sourcing script exits, however it exits.
# Source it, then:  wine_start; ...; winctl wait "caption"; screenshot name HWND; ...
# wine_stop runs by itself on exit (it sets an EXIT trap; a script with its own EXIT trap
# should call wine_stop from it).
#
# Functions: wine_start, wine_stop; wine_run PROGRAM ARGS (a Windows program in the prefix);
# winctl ARGS (the window driver; run it without arguments for its commands); screenshot NAME
# [HWND]; wine_path UNIX-PATH; wine_unix_path 'C:\...'.
# What Wine's windows hold: a message box's text is its static control 0xffff and its buttons
# are their IDs (1 OK, 2 Cancel, 6 Yes, 7 No); the file dialogs' name box is control 0x47c; a box
# that a dialog opens is found with `winctl wait-owned DIALOG`. Menus of another process cannot be
# read, but `winctl command HWND ID` sends a menu command as a click on it would.
#
# Knobs (environment): WINE_OUT, where screenshots go (default tests/wine/out);
# WINE_BIN, the folder holding winctl.exe (default $WINE_OUT/bin);
# WINE_WAIT, seconds to wait for any one window (default 60).

WINE_ENV_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WINE_OUT=${WINE_OUT:-$WINE_ENV_DIR/out}
WINE_BIN=${WINE_BIN:-$WINE_OUT/bin}
WINE_WAIT=${WINE_WAIT:-60}
# Only the 64-bit loader: this machine's kernel runs no 32-bit code.
WINE64=${WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
WINESERVER_BIN=${WINESERVER_BIN:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
WINE_SCREEN=${WINE_SCREEN:-1024x768}

WINE_XVFB_PID=
WINE_TMP=

wine_log() { echo "wine_env: $*" >&2; }

# Picks the first display from :57 up whose lock file and socket are both absent, and retries
# the next one if another Xvfb won the race for it.
wine_start_xvfb() {
  local n
  for n in $(seq 57 199); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "${WINE_SCREEN}x24" -nolisten tcp >"$WINE_TMP/xvfb.log" 2>&1 &
    WINE_XVFB_PID=$!
    local i
    for i in $(seq 100); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      kill -0 "$WINE_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$WINE_XVFB_PID" 2>/dev/null && [[ -e /tmp/.X11-unix/X$n ]]; then
      export DISPLAY=:$n
      return 0
    fi
    kill "$WINE_XVFB_PID" 2>/dev/null
    wait "$WINE_XVFB_PID" 2>/dev/null
    WINE_XVFB_PID=
  done
  wine_log "no free X display"
  return 1
}

# A virtual desktop makes Wine draw every window's frame and caption itself, so that the
# screenshots show what a user would see, even though Xvfb has no window manager.
wine_virtual_desktop() {
  cat >"$WINE_TMP/desktop.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$WINE_SCREEN"
EOF
  "$WINE64" regedit /S "$(wine_path "$WINE_TMP/desktop.reg")" >/dev/null 2>&1
}

wine_start() {
  WINE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/figmerg-wine.XXXXXX") || return 1
  trap wine_stop EXIT
  trap 'exit 130' INT TERM
  mkdir -p "$WINE_OUT"
  export WINEPREFIX=$WINE_TMP/prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko: their installers would pop up dialogs and nothing here needs them.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  wine_start_xvfb || return 1
  "$WINE64" wineboot -i >"$WINE_TMP/wineboot.log" 2>&1 || {
    wine_log "wineboot failed, see $WINE_TMP/wineboot.log"
    return 1
  }
  wine_virtual_desktop
  # The desktop that wineboot made is not virtual; only a fresh server makes the next one.
  "$WINESERVER_BIN" -k 2>/dev/null
  "$WINESERVER_BIN" -w
  # A persistent server keeps the prefix warm between the short-lived test programs.
  "$WINESERVER_BIN" -p
  wine_log "display $DISPLAY, prefix $WINEPREFIX"
}

# Ends only what wine_start started: this prefix's wineserver and our own Xvfb.
wine_stop() {
  if [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-/nonexistent} ]]; then
    "$WINESERVER_BIN" -k 2>/dev/null
    "$WINESERVER_BIN" -w 2>/dev/null
  fi
  if [[ -n $WINE_XVFB_PID ]]; then
    kill "$WINE_XVFB_PID" 2>/dev/null
    wait "$WINE_XVFB_PID" 2>/dev/null
    WINE_XVFB_PID=
  fi
  if [[ -n $WINE_TMP && -d $WINE_TMP ]]; then
    rm -rf "$WINE_TMP"
    WINE_TMP=
  fi
}

# The Windows path of a Unix path, as the programs under test see it.
wine_path() { "$WINE64" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# The Unix path of a path on the prefix's C: drive, given as C:\... or c:\....
wine_unix_path() {
  local p=${1#[Cc]:}
  echo "$WINEPREFIX/drive_c${p//\\//}"
}

# Runs a Windows program of the tests in the prefix, in the foreground.
wine_run() { "$WINE64" "$@"; }

winctl() { "$WINE64" "$WINE_BIN/winctl.exe" "$@"; }

# Saves the screen, or only the window HWND with its frame, as $WINE_OUT/NAME.png.
screenshot() {
  local name=$1 hwnd=${2:-} crop=()
  if [[ -n $hwnd ]]; then
    local x y w h
    read -r x y w h < <(winctl rect "$hwnd") && crop=(-crop "${w}x${h}+${x}+${y}" +repage)
  fi
  import -display "$DISPLAY" -window root "${crop[@]}" "$WINE_OUT/$name.png" 2>/dev/null ||
    wine_log "screenshot $name failed"
}

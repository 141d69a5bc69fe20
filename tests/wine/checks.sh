# The checks the Wine test scripts share: one line per check, and a closing count that is the
# script's verdict. Sourced; sets PASSED and FAILED.

PASSED=0
FAILED=0

# check NAME WANT GOT
check() {
  local name=$1 want=$2 got=$3
  if [[ $want == "$got" ]]; then
    echo "ok     $name"
    PASSED=$((PASSED + 1))
  else
    echo "FAILED $name: want [$want] got [$got]"
    FAILED=$((FAILED + 1))
  fi
}

# Prints the count; succeeds only when something passed and nothing failed.
finish() {
  echo "$PASSED passed, $FAILED failed"
  ((FAILED == 0 && PASSED > 0))
}

# The text of the first control of a `winctl show` listing with this id and class.
control_text() {
  awk -v id="$2" -v cls="$3" '$1 == id && $2 == cls { sub(/^[^"]*"/, ""); sub(/"$/, ""); print; exit }' <<<"$1"
}

# Builds the Wine test programs and starts Xvfb and Wine; on failure says which, and counts it.
wine_ready() {
  if ! wine_build_all; then
    echo "FAILED build of the Wine test programs"
    FAILED=$((FAILED + 1))
    return 1
  fi
  if ! wine_start; then
    echo "FAILED start of Xvfb and Wine"
    FAILED=$((FAILED + 1))
    return 1
  fi
}

# ended PID SECONDS: waits up to SECONDS for the process PID to end; fails if it still runs.
ended() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$1" 2>/dev/null
}

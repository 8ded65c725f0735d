#!/bin/bash
# WinLogOff in a Wine session of its own (own prefix, wine server and
# display), which the log-off is allowed to end: a program with a window
# started in that session must be gone afterwards, and the call must have
# returned success.
#   logoff_session.sh <session folder> <Tarsen.dll> <script.vbs> [x64|x86]
set -uo pipefail
export SUITE_WINE_ROOT="$(realpath -m "$1")"
dll="$2" script="$3" arch="${4:-x64}"
source "$(dirname "$0")/../../tools/winenv.sh"
suite_wine_up
trap suite_wine_down EXIT

passed=0 failed=0
check() {
  if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1"; fi
}

check "Tarsen registered in the session" '"$WINE" "$(suite_regsvr32 "$arch")" /s "$(suite_winpath "$dll")" </dev/null >/dev/null 2>&1'
"$WINE" notepad.exe </dev/null >/dev/null 2>&1 &
program_pid=$!
sleep 2
check "a program runs in the session" 'kill -0 $program_pid 2>/dev/null'
output="$("$WINE" "$(suite_cscript "$arch")" //nologo "$(suite_winpath "$script")" </dev/null 2>/dev/null | tr -d '\r')"
check "WinLogOff returned success" '[[ "$output" == *"returned 0"* ]]'
# Gone: the same kill -0 that found it running before the call (checked
# above) no longer finds it.
ended=no
for _ in $(seq 200); do
  if ! kill -0 $program_pid 2>/dev/null; then ended=yes; break; fi
  sleep 0.1
done
check "the session's programs were ended" '[ $ended = yes ]'
kill $program_pid 2>/dev/null
wait $program_pid 2>/dev/null
echo "tarsen_logoff: $passed passed, $failed failed"

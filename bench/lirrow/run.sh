#!/bin/bash
# DateFunction calls per second, late-bound from VBScript under cscript, next
# to the same computations written in VBScript, in one run; then the pure
# calendar in-process as the floor. Expects the builds, the registered DLL and
# the Wine environment of bench/run.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/tools/winenv.sh"
suite_wine_up
"$WINE" cscript //nologo "$(suite_winpath "$root/bench/lirrow/date_function.vbs")" "${LIRROW_BENCH_CALLS:-50000}" </dev/null
# A build folder configured before this benchmark existed does not know it yet.
if [ ! -x "$root/build/bench/bench/lirrow/lirrow_calendar_bench" ]; then
  cmake -S "$root" -B "$root/build/bench" >/dev/null
  cmake --build "$root/build/bench" --target lirrow_calendar_bench >/dev/null
fi
"$root/build/bench/bench/lirrow/lirrow_calendar_bench"

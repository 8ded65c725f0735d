#!/bin/bash
# DateFunction calls per second, late-bound from VBScript under cscript, next
# to the same computations written in VBScript, in one run; then the pure
# calendar in-process as the floor. Expects the builds and the Wine
# environment of bench/run.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
source tools/winenv.sh
suite_wine_up
# The in-process program lives in a folder the build may not know yet.
cmake -S . -B build/win64 >/dev/null
cmake --build build/win64 --target lirrow_calendar_bench >/dev/null
"$WINE" regsvr32 /s "$(suite_winpath dist/x64/Lirrow.dll)" </dev/null
"$WINE" cscript //nologo "$(suite_winpath bench/lirrow/date_function.vbs)" "${LIRROW_BENCH_CALLS:-50000}" </dev/null
"$WINE" "$(suite_winpath build/win64/bench/lirrow/lirrow_calendar_bench.exe)" </dev/null

#!/bin/bash
# Text search benchmarks: native throughput, then the same methods from VBScript.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/build/bench/bench/text/text_bench"
source "$root/tools/winenv.sh"
suite_wine_up
"$WINE" cscript //nologo "$(suite_winpath "$root/bench/text/text_bench.vbs")" </dev/null

#!/bin/bash
# Text search benchmarks: native throughput beside memchr and memchr + memcpy
# (TEXT_BENCH_1GB=1 adds a 1 GB text: about 4 GB of memory and a minute);
# then, for each bitness, FindAndReplace through the COM frame beside a scan
# and a copy into a new string in the same process, StringCount beside the
# scan alone, and the same methods from VBScript under that bitness's cscript
# (the 32-bit one loads the x86 DLL), each beside its anchor measured by the
# same cscript in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/build/bench/bench/text/text_bench" ${TEXT_BENCH_1GB:+--1gb}
source "$root/tools/winenv.sh"
suite_wine_up
for arch in $(suite_bench_arches); do
  echo "-- $arch"
  "$WINE" "$(suite_winpath "$root/build/$([ "$arch" = x86 ] && echo win32 || echo win64)/bench/text/text_com_bench.exe")" </dev/null
  echo "-- $arch ($(suite_cscript $arch))"
  "$WINE" "$(suite_regsvr32 $arch)" /s "$(suite_winpath "$root/dist/$arch/Lirrow.dll")"
  "$WINE" "$(suite_cscript $arch)" //nologo "$(suite_winpath "$root/bench/text/text_bench.vbs")" </dev/null
done

#!/bin/bash
# Runs every benchmark (bench/*/run.sh) after building, and prints their
# tables: each figure beside its anchor measured in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/bootstrap.sh
tools/build.sh >/dev/null
# Benchmarks of the pure logic run from an optimised native build without sanitizers.
if [ ! -f build/bench/build.ninja ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSUITE_SANITIZE=OFF >/dev/null
fi
cmake --build build/bench >/dev/null
source tools/winenv.sh
suite_wine_up
trap suite_wine_down EXIT
for arch in $(suite_bench_arches 2>/dev/null); do
  for dll in dist/$arch/*.dll; do "$WINE" "$(suite_regsvr32 $arch)" /s "$(suite_winpath "$dll")"; done
done
for part in text lirrow velmora tarsen corvane; do
  if [ -x "bench/$part/run.sh" ]; then
    echo "== $part"
    "bench/$part/run.sh"
  fi
done

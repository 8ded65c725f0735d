#!/bin/bash
# The test command: installs what is missing, builds everything, runs every
# test (native, under Wine, scripts under cscript) and ends with one summary
# line "N passed, M failed" counting the test programs and scripts run.
set -uo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
tools/bootstrap.sh || exit 1
set -o pipefail
if ! tools/build.sh 2>&1 | tail -n 50; then echo "0 passed, 1 failed"; exit 1; fi
source tools/winenv.sh
suite_wine_up
trap suite_wine_down EXIT

passed=0 failed=0
run_ctest() {
  local build="$1"; shift
  echo "== tests $build"
  local log="build/$build/ctest.log"
  (cd "build/$build" && ctest --output-on-failure "$@") 2>&1 | tee "$log" | grep -vE '^ +Start ' || true
  local line total bad
  line="$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)"
  if [ -z "$line" ]; then
    if grep -q 'No tests were found' "$log"; then return; fi
    failed=$((failed + 1)); return
  fi
  total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
  bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}
run_ctest native -j2
run_ctest win64 -j1 --timeout 600
echo "Total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

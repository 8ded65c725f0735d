#!/bin/bash
# The test command: installs what is missing, builds everything, runs every
# test (native; under Wine for x64 and for x86, test programs and scripts
# under the cscript of each bitness) and ends with one summary line
# "Total: N passed, M failed" counting the test programs and scripts run.
# A Windows test's name ends in its bitness (".x64", ".x86"), so a failure
# names the half that failed.
set -uo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
tools/bootstrap.sh || exit 1
if ! tools/build.sh 2>&1 | tail -n 50; then echo "Total: 0 passed, 1 failed"; exit 1; fi
source tools/winenv.sh
if ! suite_wine_up; then echo "Total: 0 passed, 1 failed (no Wine prefix)"; exit 1; fi
trap suite_wine_down EXIT

passed=0 failed=0 per_build=""
run_ctest() {
  local build="$1" label="$2"; shift 2
  echo "== tests $build"
  local log="build/$build/ctest.log"
  local rename=""
  [ -n "$label" ] && rename="s/(Test +#[0-9]+: )([A-Za-z0-9_]+)/\\1\\2.$label/; s/^([[:space:]]+[0-9]+ - )([A-Za-z0-9_]+)/\\1\\2.$label/"
  (cd "build/$build" && ctest --output-on-failure "$@") 2>&1 | sed -E "$rename" | tee "$log" | grep -vE '^ +Start ' || true
  local line total bad
  line="$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)"
  if [ -z "$line" ]; then
    if grep -q 'No tests were found' "$log"; then return; fi
    failed=$((failed + 1)); per_build+=" ${label:-native}: no result;"; return
  fi
  total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
  bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  per_build+=" ${label:-native} $((total - bad))/$total;"
}
run_ctest native "" -j2
run_ctest win64 x64 -j1 --timeout 600
run_ctest win32 x86 -j1 --timeout 600
echo "Total: $passed passed, $failed failed (passed/run:${per_build%;})"
[ "$failed" -eq 0 ]

#!/bin/bash
# The test command: installs what is missing, builds everything, runs every
# test (native; under Wine for x64 and for x86, test programs and scripts
# under the cscript of each bitness) and ends with one summary line
# "Total: N passed, M failed" counting the test programs and scripts run,
# with ", S skipped (reason)" added when some were left out.
# A Windows test's name ends in its bitness (".x64", ".x86"), so a failure
# names the half that failed.
#
# How much of the x86 half runs depends on what this machine does with 32-bit
# programs (tools/x86-probe):
#   native    everything;
#   emulated  the x86 tests labelled smoke: the smoke set (the x86 DLLs
#             registered, created and called from the 32-bit cscript,
#             unregistered) and three test programs of one process each
#             (Lirrow's calls through the vtable, the gradient's pixels,
#             unload growth); the rest is skipped, because each 32-bit
#             process costs over a minute there;
#   none      no x86 test; all are skipped.
# SUITE_X86=full runs the whole x86 half through emulation anyway;
# SUITE_X86=off behaves as "none" on any machine.
set -uo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
tools/bootstrap.sh || exit 1
if ! tools/build.sh 2>&1 | tail -n 50; then echo "Total: 0 passed, 1 failed"; exit 1; fi

x86="$(tools/x86-probe)"
echo "== x86: $x86"
case "${x86%%:*}" in
  native) scope=full ;;
  emulated) scope=smoke; [ "${SUITE_X86:-}" = full ] && scope=full ;;
  *) scope=none ;;
esac
# The shell tests of the x64 build that also drive the x86 half read these
# (tests/common/session.sh) and note the steps they leave out in the ledger.
export SUITE_X86_SCOPE="$scope" SUITE_X86_REASON="${x86#*: }"
export SUITE_SKIP_LOG="$root/build/skipped.log"
: >"$SUITE_SKIP_LOG"

source tools/winenv.sh
if ! suite_wine_up; then echo "Total: 0 passed, 1 failed (no Wine prefix)"; exit 1; fi
trap suite_wine_down EXIT

passed=0 failed=0 skipped=0 self_skipped=0 per_build="" skipped_names=""
skip() {  # skip <name> <reason>
  skipped=$((skipped + 1)); skipped_names+="$2"$'\t'"$1"$'\n'
}
# The tests of a build, one name a line, with the build's suffix.
test_names() {  # test_names <build> <label> [ctest selection...]
  local build="$1" label="$2"; shift 2
  (cd "build/$build" && ctest -N "$@") | sed -nE 's/^ *Test +#[0-9]+: ([A-Za-z0-9_]+).*/\1/p' |
    sed -E "s/\$/${label:+.$label}/"
}
run_ctest() {  # run_ctest <build> <label> [ctest arguments...]
  local build="$1" label="$2"; shift 2
  echo "== tests $build"
  local name="${label:-native}" log="build/$build/ctest.log"
  if [ -z "$(test_names "$build" "$label")" ]; then
    # A build whose tests vanished must not pass by saying nothing.
    failed=$((failed + 1)); per_build+=" $name: no tests found;"
    echo "FAIL build/$build: ctest finds no tests"; return
  fi
  local rename=""
  [ -n "$label" ] && rename="s/(Test +#[0-9]+: )([A-Za-z0-9_]+)/\\1\\2.$label/; s/^([[:space:]]+[0-9]+ - )([A-Za-z0-9_]+)/\\1\\2.$label/"
  (cd "build/$build" && ctest --output-on-failure "$@") 2>&1 | sed -E "$rename" | tee "$log" | grep -vE '^ +Start ' || true
  local line total bad not_run
  line="$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)"
  if [ -z "$line" ]; then
    failed=$((failed + 1)); per_build+=" $name: no result;"; return
  fi
  total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
  bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")"
  # A test that skips itself (it could not set up its fault, say) is counted
  # as skipped, not passed.
  not_run="$(grep -cE '^[[:space:]]+[0-9]+ - .*\(Skipped\)' "$log" || true)"
  # Those that wrote their reason into the ledger are counted from there.
  local skipped_name
  while read -r skipped_name; do
    [ -n "$skipped_name" ] || continue
    grep -q "^$skipped_name"$'\t' "$SUITE_SKIP_LOG" && continue
    skip "$skipped_name" "skipped itself; its output is in $log"
    self_skipped=$((self_skipped + 1))
  done < <(sed -nE 's/^[[:space:]]+[0-9]+ - ([^ ]+) .*\(Skipped\).*/\1/p' "$log")
  passed=$((passed + total - bad - not_run))
  failed=$((failed + bad))
  per_build+=" $name $((total - bad - not_run))/$total;"
}
run_ctest native "" -j2
run_ctest win64 x64 -j1 --timeout 600
case "$scope" in
  full) run_ctest win32 x86 -j1 --timeout 900 ;;
  smoke)
    # -FA: the smoke set registers what it needs itself.
    run_ctest win32 x86 -j1 --timeout 900 -L smoke -FA '.*'
    while read -r name; do skip "$name" "x86: $SUITE_X86_REASON; only the smoke set runs, SUITE_X86=full runs all"
    done < <(test_names win32 x86 -LE smoke -FA '.*') ;;
  none)
    echo "== tests win32: none run (x86: $SUITE_X86_REASON)"
    if [ -z "$(test_names win32 x86)" ]; then
      failed=$((failed + 1)); per_build+=" x86: no tests found;"
    fi
    while read -r name; do skip "$name" "x86: $SUITE_X86_REASON"; done < <(test_names win32 x86) ;;
esac
# The x86 steps that the x64 build's shell tests left out: "name<TAB>reason".
while IFS=$'\t' read -r name reason; do [ -n "$name" ] && skip "$name" "$reason"; done <"$SUITE_SKIP_LOG"

echo "Per build (passed/run):${per_build%;}"
if [ "$skipped" -gt 0 ]; then
  echo "Skipped, by reason:"
  # One line a reason, the tests after it.
  printf '%s' "$skipped_names" | awk -F'\t' '
    !($1 in names) { order[++n] = $1 }
    { names[$1] = names[$1] (names[$1] ? ", " : "") $2 }
    END { for (i = 1; i <= n; i++) print "  " order[i] ": " names[order[i]] }'

  reasons=()
  [ "$skipped" -gt "$self_skipped" ] && reasons+=("x86: $SUITE_X86_REASON")
  [ "$self_skipped" -gt 0 ] && reasons+=("$self_skipped skipped themselves")
  echo "Total: $passed passed, $failed failed, $skipped skipped ($(IFS=';'; echo "${reasons[*]}" | sed 's/;/; /g'))"
else
  echo "Total: $passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]

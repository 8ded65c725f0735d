# Sourced by the shell tests that need a Wine prefix of their own:
#   source tests/common/session.sh <prefix folder name under build/>
# Sets root, work (a temporary folder removed at exit), the prefix, and the
# counters behind check() and report_same(); the test prints its summary.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export SUITE_WINE_ROOT="$root/build/$1"
source "$root/tools/winenv.sh"
suite_wine_up
work="$(mktemp -d)"
trap 'rm -rf "$work"; suite_wine_down' EXIT

passed=0 failed=0
check() {  # check <description> <command...>
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}
# report_same <step> <summary> <wanted text> <found text>: one check whose
# failure shows the difference.
report_same() {
  if [ "$3" = "$4" ]; then
    passed=$((passed + 1))
    echo "ok   $1: $2"
  else
    failed=$((failed + 1))
    echo "FAIL $1:"
    diff <(echo "$3") <(echo "$4") | sed 's/^/    /'
  fi
}
exits_with() {  # exits_with <code> <command...>
  local want="$1" got; shift
  "$@"; got=$?
  [ "$got" -eq "$want" ] || { echo "exit code $got, not $want"; return 1; }
}
# key_absent <key> [reg options]: the key is missing, as a check that fails
# when reg cannot answer: the same reg, with the same options, must find the
# key's parent first, and then say "not found" for the key itself (any other
# failure, an unknown root or a reg that does not run, is no answer).
key_absent() {
  local key="$1" out status; shift
  if ! "$WINE" reg query "${key%\\*}" "$@" >/dev/null 2>&1; then
    echo "key_absent: reg cannot read ${key%\\*}"
    return 1
  fi
  out="$("$WINE" reg query "$key" "$@" 2>&1)"
  status=$?
  [ "$status" -eq 1 ] && grep -q 'Unable to find the specified registry key' <<<"$out"
}
# x86_steps <name> [<why the x86 half is needed>]: true when this run
# includes the x86 half. test.sh sets the scope from tools/x86-probe
# (SUITE_X86_SCOPE, with its reason); run on its own, a test takes the x86
# half wherever 32-bit programs run. What is left out is noted under <name>,
# with the reason, in test.sh's ledger of skipped tests ("name<TAB>reason"),
# never passed in silence. <name> is "<test>.x64: its x86 steps" for a part
# of a test, or "<test>.x64" for a whole test, which then exits with 77.
x86_steps() {
  local scope="${SUITE_X86_SCOPE:-}" reason="${SUITE_X86_REASON:-}"
  if [ -z "$scope" ]; then
    local line; line="$("$root/tools/x86-probe")"
    scope=full; reason="${line#*: }"
    [ "${line%%:*}" = none ] && scope=none
  fi
  [ "$scope" = full ] && return 0
  reason="x86: $reason${2:+; $2}"
  echo "SKIP $1 ($reason)"
  [ -n "${SUITE_SKIP_LOG:-}" ] && printf '%s\t%s\n' "$1" "$reason" >>"$SUITE_SKIP_LOG"
  return 1
}

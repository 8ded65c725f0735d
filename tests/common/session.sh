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

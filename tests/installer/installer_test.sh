#!/bin/bash
# The installer under Wine, in a prefix of its own (the other tests keep their
# registrations in the shared one): build it, install silently, check the
# files and the registry, create every class by its ProgID from VBScript,
# uninstall silently, and check that files and registrations are gone.
#   installer_test.sh <registry_probe.exe>
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
probe="$1"
export SUITE_WINE_ROOT="$root/build/wine-installer"
source "$root/tools/winenv.sh"
suite_wine_up
work="$(mktemp -d)"
trap 'rm -rf "$work"; suite_wine_down' EXIT

passed=0 failed=0
check() {  # check <description> <command...>
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}
probe_says() {  # probe_says <present|absent> [installed folder]
  local out
  out="$("$WINE" "$probe" "$(suite_winpath "$root/dist/x64")" "$@" 2>&1 | tr -d '\r')"
  echo "$out" | grep -v '^progids:'
  progids="$(echo "$out" | sed -n 's/^progids: *//p')"
  echo "$out" | grep -qE 'registry probe .*: [1-9][0-9]* passed, 0 failed'
}
same_dlls() {  # same_dlls <dist folder> <installed folder>
  local f
  for f in "$1"/*.dll; do cmp -s "$f" "$2/$(basename "$f")" || return 1; done
}

setup="$work/AutomationComponentSuite.exe"
check "installer builds" makensis -V2 -DDIST="$root/dist" -DOUTFILE="$setup" "$root/installer/suite.nsi"
folder='C:\SuiteTest'
unix="$WINEPREFIX/drive_c/SuiteTest"
rm -rf "$unix"
check "nothing registered before" probe_says absent

check "silent install" "$WINE" "$setup" /S "/D=$folder"
check "x64 DLLs installed" same_dlls "$root/dist/x64" "$unix/x64"
check "x86 DLLs installed" same_dlls "$root/dist/x86" "$unix/x86"
check "registered from the install folder" probe_says present "$folder\\x64"
script_out="$("$root/tools/run-script" "$root/tests/installer/create_all.vbs" $progids 2>&1 | tr -d '\r')"
echo "$script_out"
check "every ProgID creatable from VBScript" grep -qE 'create_all: [1-9][0-9]* passed, 0 failed' <<<"$script_out"

# _?= keeps the uninstaller in place, so that it runs to the end before we go on.
check "silent uninstall" "$WINE" "$unix/uninstall.exe" /S "_?=$folder"
check "registry clean" probe_says absent
check "DLLs removed" bash -c "! ls '$unix'/x64/*.dll '$unix'/x86/*.dll 2>/dev/null | grep -q ."
rm -rf "$unix"
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

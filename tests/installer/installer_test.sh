#!/bin/bash
# The installer under Wine, in a prefix of its own (the other tests keep their
# registrations in the shared one): build it, install silently, check the
# files and the registry, create every class by its ProgID from VBScript,
# uninstall silently, and check that files and registrations are gone; for
# both halves: the x64 probe and cscript see the 64-bit registry view, the
# x86 probe and syswow64's cscript the 32-bit one.
#   installer_test.sh <registry_probe.exe (x64)> <registry_probe.exe (x86)>
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
probe_x64="$1" probe_x86="$2"
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
probe_says() {  # probe_says <x64|x86> <present|absent> [installed folder]
  local out arch="$1" probe; shift
  probe="probe_$arch"
  out="$("$WINE" "${!probe}" "$(suite_winpath "$root/dist/$arch")" "$@" 2>&1 | tr -d '\r')"
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
# A run that was stopped half-way leaves its registrations: start afresh.
if ! probe_says x64 absent >/dev/null || ! probe_says x86 absent >/dev/null; then
  echo "registrations of an earlier run found: a fresh prefix"
  suite_wine_down
  rm -rf "$WINEPREFIX"
  suite_wine_up
fi
for arch in x64 x86; do check "nothing registered before ($arch view)" probe_says $arch absent; done

check "silent install" "$WINE" "$setup" /S "/D=$folder"
check "x64 DLLs installed" same_dlls "$root/dist/x64" "$unix/x64"
check "x86 DLLs installed" same_dlls "$root/dist/x86" "$unix/x86"
for arch in x64 x86; do
  check "registered from the install folder ($arch view)" probe_says $arch present "$folder\\$arch"
  script_out="$("$root/tools/run-script" --arch $arch "$root/tests/installer/create_all.vbs" $progids 2>&1 | tr -d '\r')"
  echo "$script_out"
  check "every ProgID creatable from the $arch cscript" grep -qE 'create_all: [1-9][0-9]* passed, 0 failed' <<<"$script_out"
done

# _?= keeps the uninstaller in place, so that it runs to the end before we go on.
check "silent uninstall" "$WINE" "$unix/uninstall.exe" /S "_?=$folder"
for arch in x64 x86; do check "registry clean ($arch view)" probe_says $arch absent; done
check "DLLs removed" bash -c "! ls '$unix'/x64/*.dll '$unix'/x86/*.dll 2>/dev/null | grep -q ."
rm -rf "$unix"
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

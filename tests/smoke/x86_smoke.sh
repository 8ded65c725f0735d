#!/bin/bash
# The x86 smoke set: proves the shipped x86 DLLs work for a 32-bit host where
# each 32-bit process is expensive (emulation). The four DLLs are registered
# by the 32-bit regsvr32, every class is created and called from the 32-bit
# cscript, and the DLLs are unregistered again, leaving the 32-bit registry
# view without our classes. Runs in the shared prefix after the tests that
# rely on the registration (it is their fixtures' cleanup).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/tools/winenv.sh"
suite_wine_up || exit 1
passed=0 failed=0
check() {  # check <description> <command...>
  if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1"; fi
}
dlls=() clsids=()
for library in Corvane Lirrow Tarsen Velmora; do
  dlls+=("$(suite_winpath "$root/dist/x86/$library.dll")")
  lower="$(tr A-Z a-z <<<"$library")"
  clsids+=($(grep -B3 -E '^\s*coclass' "$root/$lower/$lower.idl" | grep -oE 'uuid\([0-9A-Fa-f-]+\)' | sed -E 's/uuid\((.*)\)/{\1}/'))
done
check "five classes found in the IDL files" [ "${#clsids[@]}" -eq 5 ]

# The 32-bit view of the classes, read by the 64-bit reg (a fast process).
# Wine's reg writes its errors to stdout: only a successful query counts.
server_of() {
  local out
  out="$("$WINE" reg query "HKLM\\Software\\Classes\\CLSID\\$1\\InprocServer32" /ve /reg:32 2>/dev/null)" && tr -d '\r' <<<"$out"
}
reg_runs() { "$WINE" reg query 'HKLM\Software\Classes\CLSID' /reg:32 >/dev/null 2>&1; }

check "the 32-bit regsvr32 registers the four x86 DLLs" \
  "$WINE" 'C:\windows\syswow64\regsvr32.exe' /s "${dlls[@]}"
for clsid in "${clsids[@]}"; do
  check "$clsid is served by a dist\\x86 DLL in the 32-bit view" grep -qi 'dist\\x86\\' <<<"$(server_of "$clsid")"
done

out="$("$root/tools/run-script" --arch x86 "$root/tests/smoke/x86_smoke.vbs" | tr -d '\r')"
echo "$out"
check "the 32-bit cscript ran every check" grep -qE '^x86 smoke: [0-9]+ passed, 0 failed$' <<<"$out"

check "the 32-bit regsvr32 unregisters them" \
  "$WINE" 'C:\windows\syswow64\regsvr32.exe' /s /u "${dlls[@]}"
check "reg reads the 32-bit view (control for the next checks)" reg_runs
for clsid in "${clsids[@]}"; do
  check "$clsid is gone from the 32-bit view" [ -z "$(server_of "$clsid")" ]
done
echo "x86 smoke set: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

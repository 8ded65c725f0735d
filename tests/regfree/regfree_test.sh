#!/bin/bash
# Registration-free use, in a Wine prefix of its own where nothing of ours is
# registered: the host of each bitness, in a folder with the DLLs of its
# bitness, activates an application manifest naming their assemblies.
#   regfree_test.sh <x64 host> <x86 host>
set -uo pipefail
source "$(dirname "$0")/../common/session.sh" wine-regfree
arches=x64
x86_steps "regfree.x64: its x86 steps" && arches="x64 x86"
for arch in $arches; do
  host="$1"; [ "$arch" = x86 ] && host="$2"
  mkdir -p "$work/$arch"
  cp "$root/dist/$arch"/*.dll "$host" "$work/$arch/"
  out="$("$WINE" "$work/$arch/$(basename "$host")" "$(suite_winpath "$work/$arch")" 2>&1 | tr -d '\r')"
  echo "$out"
  if grep -qE "^regfree \($arch\): [1-9][0-9]* passed, 0 failed" <<<"$out"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "FAIL the $arch host"
  fi
done
# Nothing in the prefix was registered by any of this.
check "Lirrow is not registered in the prefix" key_absent 'HKLM\Software\Classes\TypeLib\{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA}'
echo "regfree: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/bin/bash
# The library reference in docs/reference/<Name>.md, generated from the type
# library inside each DLL of dist/x64.
#   tools/reference/reference.sh            regenerate docs/reference
#   tools/reference/reference.sh --check    compare (the test): fails when a
#                                           committed reference differs
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
check=0
if [ "${1:-}" = "--check" ]; then check=1; shift; fi
tool="${1:-$root/build/win64/tools/reference/typelib_reference.exe}"
if [ "$check" -eq 0 ]; then cmake --build "$root/build/win64" --target typelib_reference >/dev/null || exit 1; fi
source "$root/tools/winenv.sh"
suite_wine_up
mkdir -p "$root/docs/reference"
passed=0 failed=0
for dll in "$root"/dist/x64/*.dll; do
  [ -f "$dll" ] || continue
  name="$(basename "$dll" .dll)"
  generated="$(mktemp)"
  if ! "$WINE" "$tool" "$(suite_winpath "$dll")" >"$generated" 2>/dev/null; then
    rm -f "$generated"; continue   # not a library with a type library
  fi
  committed="$root/docs/reference/$name.md"
  if [ "$check" -eq 0 ]; then
    mv "$generated" "$committed"
    echo "wrote docs/reference/$name.md"
    continue
  fi
  if [ ! -f "$committed" ]; then
    echo "note: docs/reference/$name.md is not written yet (run tools/reference/reference.sh)"
  elif cmp -s "$generated" "$committed"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL docs/reference/$name.md differs from the type library (run tools/reference/reference.sh):"
    diff -u "$committed" "$generated" | head -40
  fi
  rm -f "$generated"
done
if [ "$check" -eq 1 ]; then
  echo "reference: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
fi

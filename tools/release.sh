#!/bin/bash
# The release build: both bitnesses built into dist/x64 and dist/x86, then in
# dist/release a zip (DLLs of both bitnesses, the reference, the examples and
# the README) and the installer, which installs and registers both.
#   tools/release.sh [version]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
version="${1:-1.0.0}"
tools/bootstrap.sh
tools/build.sh >/dev/null

# Every library must be there in both bitnesses.
shopt -s nullglob
x64=(dist/x64/*.dll)
[ "${#x64[@]}" -gt 0 ] || { echo "release: no DLL in dist/x64" >&2; exit 1; }
for dll in "${x64[@]}"; do
  [ -f "dist/x86/$(basename "$dll")" ] || { echo "release: $(basename "$dll") has no x86 build" >&2; exit 1; }
done

name="AutomationComponentSuite-$version"
out="dist/release"
rm -rf "$out"
mkdir -p "$out"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/x64" "$stage/$name/x86"
cp dist/x64/*.dll "$stage/$name/x64/"
cp dist/x86/*.dll "$stage/$name/x86/"
cp README.md "$stage/$name/"
[ -d docs/reference ] && cp -r docs/reference "$stage/$name/reference"
[ -d examples ] && cp -r examples "$stage/$name/examples"
(cd "$stage" && zip -qr9 "$root/$out/$name.zip" "$name")
makensis -V2 -DDIST="$root/dist" -DOUTFILE="$root/$out/$name.exe" -DVERSION="$version" installer/suite.nsi
echo "release $version:"
for file in "$out"/*; do printf '  %s (%s bytes)\n' "$file" "$(stat -c %s "$file")"; done
echo "  libraries: $(for dll in "${x64[@]}"; do basename "$dll" .dll; done | tr '\n' ' ')"

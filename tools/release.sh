#!/bin/bash
# The release build: both bitnesses built into dist/x64 and dist/x86, then in
# dist/release a zip (DLLs of both bitnesses, the reference, the examples and
# the README) and the installer, which installs and registers both. The
# released DLLs carry no debug sections or symbol table; their symbols stay
# in dist/release/symbols/<arch>/<name>.dll.debug, which each DLL names in its
# debug link for a debugger.
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
declare -A triple=([x64]=x86_64-w64-mingw32 [x86]=i686-w64-mingw32)
for arch in x64 x86; do
  mkdir -p "$stage/dist/$arch" "$out/symbols/$arch"
  for dll in dist/$arch/*.dll; do
    file="$(basename "$dll")"
    symbols="$out/symbols/$arch/$file.debug"
    "${triple[$arch]}-objcopy" --only-keep-debug "$dll" "$symbols"
    # The debug link is made from inside the symbols' folder, so that it
    # holds the file name only.
    (cd "$out/symbols/$arch" && "${triple[$arch]}-objcopy" --strip-all --add-gnu-debuglink="$file.debug" \
      "$root/$dll" "$stage/dist/$arch/$file")
  done
done
mkdir -p "$stage/$name"
cp -r "$stage/dist/x64" "$stage/dist/x86" "$stage/$name/"
cp README.md "$stage/$name/"
[ -d docs/reference ] && cp -r docs/reference "$stage/$name/reference"
cp docs/registration.md "$stage/$name/"
[ -d examples ] && cp -r examples "$stage/$name/examples"
(cd "$stage" && zip -qr9 "$root/$out/$name.zip" "$name")
makensis -V2 -DDIST="$stage/dist" -DOUTFILE="$root/$out/$name.exe" -DVERSION="$version" installer/suite.nsi
echo "release $version:"
for file in "$out"/*.* "$stage"/dist/*/*.dll; do printf '  %s (%s bytes)\n' "${file#"$stage/"}" "$(stat -c %s "$file")"; done
echo "  libraries: $(for dll in "${x64[@]}"; do basename "$dll" .dll; done | tr '\n' ' ')"

#!/bin/bash
# Configures (once) and builds the three builds: native (pure logic and its
# unit tests, sanitized), win64 and win32 (the DLLs in dist/x64 and dist/x86,
# and the Windows test programs). Quick when nothing changed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# Configured on every run: a library folder that appeared since the last run
# must join the build (the top-level list only adds folders that exist).
configure() {
  local dir="build/$1"; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
configure native -DCMAKE_BUILD_TYPE=Debug
configure win64 -DCMAKE_BUILD_TYPE=Release --toolchain cmake/toolchain-win64.cmake
configure win32 -DCMAKE_BUILD_TYPE=Release --toolchain cmake/toolchain-win32.cmake
for build in native win32 win64; do
  echo "== build $build"
  # The build's own status decides, not the filter's.
  status=0
  cmake --build "build/$build" >"build/$build.log" 2>&1 || status=$?
  grep -vE '^\[[0-9]+/[0-9]+\] (Building|Linking)' "build/$build.log" || true
  [ "$status" -eq 0 ] || { echo "build $build failed"; exit 1; }
done

#!/bin/bash
# Installs from Debian's packages whatever the build and the tests need and is
# not there yet. Quiet and quick when everything is already installed.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed' || need+=("$1"); }

want cmake
want ninja-build
want g++
want googletest
want g++-mingw-w64-x86-64-posix
want g++-mingw-w64-i686-posix
want binutils-mingw-w64-x86-64
want binutils-mingw-w64-i686
want mingw-w64-tools
want libwine-dev
want wine64
want wine
# The 32-bit side: a prefix made with it has syswow64's regsvr32 and cscript,
# which load the x86 DLLs as 32-bit hosts do.
want wine32:i386
want xvfb
want x11-utils
want python3
# The installer, the release zip and the native fuzzing of the pure logic.
want nsis
want zip
want clang-14
want libclang-rt-14-dev

if ((${#need[@]})); then
  echo "bootstrap: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

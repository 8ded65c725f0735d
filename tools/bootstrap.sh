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

# Wine's 32-bit side needs a kernel that runs 32-bit programs. Where it runs
# none, a qemu-user handler for i386 programs lets them run, slowly. The
# handler is registered in binfmt_misc, which lasts until the next boot.
probe="$(dirname "$0")/x86-probe"
x86="$("$probe")"
if [ "${x86%%:*}" = none ] && grep -q 'Exec format error' <<<"$x86" && [ "${SUITE_X86:-}" != off ]; then
  binfmt=/proc/sys/fs/binfmt_misc
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: $x86; registering a qemu-user handler needs root, so the x86 half will be built but not run"
  elif [ -e "$binfmt/qemu-i386" ]; then
    echo "bootstrap: $x86; the qemu-i386 handler was disabled by someone and is left as it is"
  else
    did=""
    if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'ok installed'; then
      if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null; then
        did+="installed qemu-user-static, "
      fi
    fi
    if ! mountpoint -q "$binfmt" && mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
      did+="mounted binfmt_misc, "
    fi
    # The ELF header of an i386 executable or shared object; F: the
    # interpreter is opened now, so it works in any mount namespace.
    if [ -x /usr/bin/qemu-i386-static ] && echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
         >"$binfmt/register" 2>/dev/null; then
      echo "bootstrap: this kernel runs no 32-bit programs; ${did}registered qemu-user-static's i386 handler in binfmt_misc until the next boot: $("$probe")"
    else
      echo "bootstrap: $x86; qemu-user-static could not be installed or binfmt_misc could not be mounted or written, so the x86 half will be built but not run"
    fi
  fi
fi

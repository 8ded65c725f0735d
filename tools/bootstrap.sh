#!/bin/bash
# Installs from Debian's packages whatever the build and the tests need and is
# not there yet. Quiet and quick when everything is already installed.
#
# Two transactions, so that the 32-bit side never stops the 64-bit one:
#   1. the build tools and the x64 half (Wine's 64-bit side): required; the
#      bootstrap fails only when one of these cannot be installed, and says
#      which package and why;
#   2. the 32-bit side (the i386 architecture, wine32:i386, and where the
#      kernel runs no 32-bit programs qemu-user-static): optional; when it
#      cannot be installed the bootstrap says so in one line and goes on, and
#      tools/x86-probe then answers "none: wine32 could not be installed: ...".
# SUITE_X86=off never touches the 32-bit side.
#
# A mirror in the middle of a sync fails `apt-get update` on one index while
# every other is fine: that is a warning, and the installs are tried with the
# lists there are. An install that fails for a transient reason (a fetch, a
# missing list) is tried once more after a fresh update.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
# Where the reason of a failed 32-bit install is kept for tools/x86-probe.
x86_failure="$root/build/wine32-install-failure"
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -qq --no-install-recommends -o DPkg::Lock::Timeout=120)

x64_tools=(cmake ninja-build g++ googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  mingw-w64-tools libwine-dev wine64 wine xvfb x11-utils python3
  # The installer, the release zip and the native fuzzing of the pure logic.
  nsis zip clang-14 libclang-rt-14-dev)
# A prefix made with the 32-bit side has syswow64's regsvr32 and cscript,
# which load the x86 DLLs as 32-bit hosts do.
x86_side=(wine32:i386)

missing() {  # prints the packages of "$@" that are not installed
  local package
  for package; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || echo "$package"
  done
}

first_error() { grep -m1 -E '^(E|W): ' <<<"$1" || head -n1 <<<"$1"; }

updated=""
update_lists() {
  local output status
  output="$(apt-get update -qq -o DPkg::Lock::Timeout=120 2>&1)"; status=$?
  updated=yes
  if [ "$status" -ne 0 ] || grep -q '^E: ' <<<"$output"; then
    echo "bootstrap: warning: apt-get update failed on some index (exit status $status: $(first_error "$output")); installing from the lists there are"
  fi
}

# A failure that a fresh update may cure: a fetch or a list the mirror had not
# finished; not a dependency problem.
transient() {
  grep -qE 'Failed to fetch|Unable to fetch|unexpected size|Hash Sum mismatch|Mirror sync|Temporary failure|Could not (connect|resolve)|Connection (failed|timed out)|Unable to locate package|has no installation candidate|Could not get lock' <<<"$1"
}

install_output=""
install() {  # install <package>...; apt's status, its output in install_output
  local status
  install_output="$(apt-get install "${apt_options[@]}" "$@" 2>&1 >/dev/null)"; status=$?
  if [ "$status" -ne 0 ] && transient "$install_output"; then
    update_lists
    install_output="$(apt-get install "${apt_options[@]}" "$@" 2>&1 >/dev/null)"; status=$?
  fi
  return "$status"
}

# Which one of several packages apt refuses, and its reason.
culprit() {
  local package output
  for package; do
    output="$(apt-get install -s "${apt_options[@]}" "$package" 2>&1 >/dev/null)" && continue
    echo "$package: $(first_error "$output")"; return
  done
  echo "$*: $(first_error "$install_output")"
}

# 1. The 64-bit tools.
mapfile -t need < <(missing "${x64_tools[@]}")
if ((${#need[@]})); then
  echo "bootstrap: installing ${need[*]}"
  update_lists
  if ! install "${need[@]}"; then
    echo "bootstrap: failed: the 64-bit tools could not be installed: $(culprit "${need[@]}")" >&2
    exit 1
  fi
fi

# 2. The 32-bit side, optional.
if [ "${SUITE_X86:-}" != off ]; then
  mapfile -t need < <(missing "${x86_side[@]}")
  if ((${#need[@]})); then
    echo "bootstrap: installing the 32-bit side: ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386 && updated=""
    fi
    [ -n "$updated" ] || update_lists
    if install "${need[@]}"; then
      rm -f "$x86_failure"
    else
      reason="$(first_error "$install_output")"
      mkdir -p "$(dirname "$x86_failure")" && echo "$reason" >"$x86_failure"
      echo "bootstrap: the 32-bit side could not be installed (${need[*]}: $reason); the x86 half will be built but not run, the x64 half goes on"
    fi
  else
    rm -f "$x86_failure"
  fi
fi

# Wine's 32-bit side needs a kernel that runs 32-bit programs. Where it runs
# none, a qemu-user handler for i386 programs lets them run, slowly. The
# handler is registered in binfmt_misc, which lasts until the next boot.
probe="$here/x86-probe"
x86="$("$probe")"
if [ "${x86%%:*}" = none ] && grep -q 'Exec format error' <<<"$x86" && [ "${SUITE_X86:-}" != off ]; then
  binfmt=/proc/sys/fs/binfmt_misc
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: $x86; registering a qemu-user handler needs root, so the x86 half will be built but not run"
  elif [ -e "$binfmt/qemu-i386" ]; then
    echo "bootstrap: $x86; the qemu-i386 handler was disabled by someone and is left as it is"
  else
    did=""
    if [ -n "$(missing qemu-user-static)" ]; then
      if install qemu-user-static; then
        did+="installed qemu-user-static, "
      else
        echo "bootstrap: qemu-user-static could not be installed ($(first_error "$install_output"))"
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
exit 0

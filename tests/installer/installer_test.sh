#!/bin/bash
# The installer under Wine, in a prefix of its own (the other tests keep their
# registrations in the shared one), in both modes: for all users (/AllUsers,
# the machine's classes) and for the current user (/CurrentUser, the user's
# classes, the default folder under the user's local application data). Each
# step installs or uninstalls silently; after it both registry views (the
# x64 probe sees the 64-bit one, the x86 probe the 32-bit one) must hold
# exactly the registrations of the modes that are installed, each mode's
# files must be there or gone, and where the machine's registration exists
# every class must be creatable by its ProgID from the 64-bit and the 32-bit
# cscript. Each mode's uninstall must leave the other's registration and
# files alone.
#
# Wine 8's HKEY_CLASSES_ROOT is the machine's classes alone (it does not merge
# the user's), so a per-user registration by itself is not seen by
# CreateObject under Wine (error 429 from both cscripts; on Windows it works):
# for the per-user mode alone the test checks the keys only. Wine also keeps
# one view of the user's classes for both bitnesses, so the user's class keys
# name the x86 DLLs (registered last) in both views; the type library's
# win64 and win32 entries name each bitness's own DLL.
# Wine runs everything with administrator rights, so the refusal of
# /AllUsers without them is not tested here.
#   installer_test.sh <registry_probe.exe (x64)> <registry_probe.exe (x86)>
set -uo pipefail
probe_x64="$1" probe_x86="$2"
source "$(dirname "$0")/../common/session.sh" wine-installer
x86_steps installer.x64 "the installer is a 32-bit program and registers both halves" || exit 77

machine='C:\SuiteTest'
machine_unix="$WINEPREFIX/drive_c/SuiteTest"
user="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Automation Component Suite"
user_unix="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Automation Component Suite"

probe_says() {  # probe_says <x64|x86> <machine: folder|absent> <user: folder|absent>
  local out arch="$1" probe="probe_$1" args=()
  [ "$2" = absent ] && args+=(machine=absent) || args+=("machine=$2\\$arch")
  [ "$3" = absent ] && args+=(user=absent) || args+=("user=$3\\$arch" "user-classes=$3\\x86")
  out="$("$WINE" "${!probe}" "$(suite_winpath "$root/dist/$arch")" "${args[@]}" 2>&1 | tr -d '\r')"
  echo "$out" | grep -v '^progids:'
  progids="$(echo "$out" | sed -n 's/^progids: *//p')"
  echo "$out" | grep -qE 'registry probe: [1-9][0-9]* passed, 0 failed'
}
same_dlls() {  # same_dlls <installed folder (unix)>: both bitnesses as built
  local arch f
  for arch in x64 x86; do
    for f in "$root/dist/$arch"/*.dll; do cmp -s "$f" "$1/$arch/$(basename "$f")" || return 1; done
  done
}
exits_with() { local want="$1"; shift; "$@"; [ $? -eq "$want" ]; }  # exits_with <code> <command...>
no_dlls() { ! ls "$1"/x64/*.dll "$1"/x86/*.dll >/dev/null 2>&1; }
# state <step> <machine: installed|absent> <user: installed|absent>: the
# registry of both views, the files, and CreateObject where the machine's
# registration exists.
state() {
  local step="$1" m=absent u=absent arch out
  [ "$2" = installed ] && m="$machine"
  [ "$3" = installed ] && u="$user"
  for arch in x64 x86; do
    check "$step: registrations machine=$2 user=$3 ($arch view)" probe_says $arch "$m" "$u"
  done
  if [ "$2" = installed ]; then check "$step: all-users files" same_dlls "$machine_unix"
  else check "$step: no all-users files" no_dlls "$machine_unix"; fi
  if [ "$3" = installed ]; then check "$step: per-user files" same_dlls "$user_unix"
  else check "$step: no per-user files" no_dlls "$user_unix"; fi
  [ "$2" = installed ] || return 0
  for arch in x64 x86; do
    out="$("$root/tools/run-script" --arch $arch "$root/tests/installer/create_all.vbs" $progids 2>&1 | tr -d '\r')"
    echo "$out"
    check "$step: every ProgID creatable from the $arch cscript" grep -qE 'create_all: [1-9][0-9]* passed, 0 failed' <<<"$out"
  done
}
# run <Windows command line>: through a batch file, because NSIS takes /D= and
# _?= only unquoted (to the end of the line), and Wine quotes an argument
# that holds spaces (the per-user folder does).
run() {
  printf '%s\r\nexit %%errorlevel%%\r\n' "$1" >"$work/run.bat"
  "$WINE" cmd /c "$(suite_winpath "$work/run.bat")"
}
# _?= keeps the uninstaller in place, so that it runs to the end before we go on.
uninstall() {  # uninstall <folder>
  check "silent uninstall from $1" run "\"$1\\uninstall.exe\" /S _?=$1"
}

setup="$work/AutomationComponentSuite.exe"
setup_win="$(suite_winpath "$setup")"
check "installer builds" makensis -V2 -DDIST="$root/dist" -DOUTFILE="$setup" "$root/installer/suite.nsi"
rm -rf "$machine_unix" "$user_unix"
# A run that was stopped half-way leaves its registrations: start afresh.
if ! probe_says x64 absent absent >/dev/null || ! probe_says x86 absent absent >/dev/null; then
  echo "registrations of an earlier run found: a fresh prefix"
  suite_wine_down
  rm -rf "$WINEPREFIX"
  suite_wine_up
fi
state "before" absent absent

# Per user over all users, and each uninstalled with the other in place.
check "silent install for all users" "$WINE" "$setup" /S /AllUsers "/D=$machine"
state "all users" installed absent
check "silent install for the user (default folder) over it" "$WINE" "$setup" /S /CurrentUser
state "user over all users" installed installed
uninstall "$user"
state "user uninstalled, all users stays" installed absent
uninstall "$machine"
state "all users uninstalled" absent absent

# All users over per user. A machine-wide install into the per-user folder
# is refused: the two uninstallers would delete each other's files.
check "silent install for the user alone" "$WINE" "$setup" /S /CurrentUser
check "install for all users into the user's folder refused (exit code 2)" exits_with 2 run "\"$setup_win\" /S /AllUsers /D=$user"
state "user alone (and the refused install)" absent installed
check "silent install for all users over it" "$WINE" "$setup" /S /AllUsers "/D=$machine"
state "all users over user" installed installed
uninstall "$machine"
state "all users uninstalled, user stays" absent installed
uninstall "$user"
state "user uninstalled" absent absent

rm -rf "$machine_unix" "$user_unix"
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

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
# no_dlls <installed folder (unix)> <a folder above it that is always there>
# [arch...]: none of the built DLLs is there (in x64 and x86 unless named),
# where the path is right.
no_dlls() {
  local arch f count=0 archs=("${@:3}")
  [ -d "$2" ] && [[ "$1" == "$2"/* ]] || { echo "no_dlls: no folder $2 above $1"; return 1; }
  [ ${#archs[@]} -gt 0 ] || archs=(x64 x86)
  for arch in "${archs[@]}"; do
    for f in "$root/dist/$arch"/*.dll; do
      [ -f "$f" ] && count=$((count + 1))
      [ ! -e "$1/$arch/$(basename "$f")" ] || { echo "no_dlls: $1/$arch/$(basename "$f") is there"; return 1; }
    done
  done
  [ "$count" -gt 0 ]
}
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
  else check "$step: no all-users files" no_dlls "$machine_unix" "$WINEPREFIX/drive_c"; fi
  if [ "$3" = installed ]; then check "$step: per-user files" same_dlls "$user_unix"
  else check "$step: no per-user files" no_dlls "$user_unix" "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"; fi
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
# ends_with <code> <Windows command line>: the program's whole exit code,
# as the batch file sees it (a Unix exit status keeps its low 8 bits only:
# 3010 would read 194).
ends_with() {
  local got
  printf '%s\r\necho exit code %%errorlevel%%\r\n' "$2" >"$work/code.bat"
  got="$("$WINE" cmd /c "$(suite_winpath "$work/code.bat")" | tr -d '\r' | sed -n 's/^exit code //p')"
  [ "$got" = "$1" ] || { echo "exit code '$got', not $1"; return 1; }
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

# DLLs in use: a host of one bitness holds that bitness's DLLs while the
# installer replaces or removes them. For all users what cannot be done now
# waits for the next restart (Wine keeps it in PendingFileRenameOperations,
# as Windows does), each run says so with exit code 3010, and a restart
# (wineboot -r) carries it out: an upgrade's held DLLs are replaced then and
# registered after it by a RunOnce entry (the registration is taken away by
# hand before the restart, so that only that entry can bring it back); an
# uninstall moves its held DLLs aside, so that a reinstall before the
# restart keeps its files through the restart. Per user nothing can wait for
# a restart: a silent upgrade or uninstall ends with exit code 2 and
# changes nothing.
session_manager='HKLM\System\CurrentControlSet\Control\Session Manager'
runonce='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
pending() {  # the operations waiting for the restart, one path a line
  "$WINE" reg query "$session_manager" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_MULTI_SZ *//p' | sed 's/\\0/\n/g' | sed '/^$/d'
}
# Each waiting operation names <source> (and the target with "!" in front,
# for a replacement, or nothing for a removal) under \??\.
pending_has() { local line; for line; do pending | grep -qixF -- "$line" || return 1; done; }  # pending_has <line>...
pending_lacks() { local line; for line; do ! pending | grep -qixF -- "$line" || { echo "pending: $line"; return 1; }; done; }
no_pending() {  # nothing waits: reg finds the key and answers "not found" for the value
  local out
  "$WINE" reg query "$session_manager" >/dev/null 2>&1 || { echo "no_pending: reg cannot read $session_manager"; return 1; }
  out="$("$WINE" reg query "$session_manager" /v PendingFileRenameOperations 2>&1)"
  [ $? -eq 1 ] && grep -q 'Unable to find' <<<"$out"
}
runonce_values() {  # our registrations waiting for the restart: "<name>=<command>", one a line
  "$WINE" reg query "$runonce" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\(AutomationComponentSuite [^ ]* [^ ]*\) *REG_SZ *\(.*\)$/\1=\2/p'
}
same_build() {  # same_build <dist folder> <arch> [installed folder (unix)]: the installed DLLs of one bitness are that build's
  local f
  for f in "$1/$2"/*.dll; do cmp -s "$f" "${3:-$machine_unix}/$2/$(basename "$f")" || return 1; done
}
old_dist="$work/old"
for arch in x64 x86; do
  mkdir -p "$old_dist/$arch"
  # An older build: the same DLLs with a different tail (the loader ignores it).
  for f in "$root/dist/$arch"/*.dll; do cp "$f" "$old_dist/$arch/"; printf 'older build' >>"$old_dist/$arch/$(basename "$f")"; done
done
old_setup="$work/AutomationComponentSuite-old.exe"
check "older installer builds" makensis -V2 -DDIST="$old_dist" -DOUTFILE="$old_setup" "$root/installer/suite.nsi"

host_pid=
hold() {  # hold <arch> <installed folder (Windows)>: a host of that bitness holds its DLLs there
  local arch="$1" probe="probe_$1"
  rm -f "$work/release"
  : >"$work/hold.out"
  "$WINE" "${!probe}" hold "$2\\$arch" "$(suite_winpath "$work")\\release" >"$work/hold.out" 2>&1 &
  host_pid=$!
  for _ in $(seq 600); do grep -q '^holding' "$work/hold.out" && break; kill -0 $host_pid 2>/dev/null || break; sleep 0.5; done
  check "$arch in use: the host holds every $arch DLL ($(tr -d '\r' <"$work/hold.out"))" \
    grep -qx "holding $(ls "$root/dist/$arch"/*.dll | wc -l)" <(tr -d '\r' <"$work/hold.out")
}
release() {  # release <arch>: the host ends
  touch "$work/release"
  wait $host_pid
  check "$1 in use: the host ends well" test $? -eq 0
}
view_of() { [ "$1" = x86 ] && echo 32 || echo 64; }
lirrow_clsid='{AC63C352-843F-408C-B60C-ED2ACC3147D4}'

in_use() {  # in_use <arch>: all users
  local arch="$1" other=x86 f name regsvr
  [ "$arch" = x86 ] && other=x64
  regsvr="$(suite_regsvr32 "$arch")"
  "$WINE" reg delete "$session_manager" /v PendingFileRenameOperations /f >/dev/null 2>&1
  check "$arch in use: nothing waits for a restart before" no_pending
  check "$arch in use: silent install of the older build" exits_with 0 "$WINE" "$old_setup" /S /AllUsers "/D=$machine"
  check "$arch in use: the older build is installed" same_build "$old_dist" "$arch"
  hold "$arch" "$machine"

  # An upgrade that waits for the restart.
  check "$arch in use: upgrade ends with exit code 3010 (restart required)" ends_with 3010 "\"$setup_win\" /S /AllUsers /D=$machine"
  pending | sed "s/^/    pending: /"
  runonce_values | sed "s/^/    RunOnce: /"
  for f in "$root/dist/$arch"/*.dll; do
    name="$(basename "$f")"
    check "$arch in use: $name waits to be replaced" \
      pending_has "\\??\\$machine\\.update\\$arch\\$name" "!\\??\\$machine\\$arch\\$name"
    check "$arch in use: the new $name is ready beside it" cmp -s "$f" "$machine_unix/.update/$arch/$name"
    check "$arch in use: $name is registered after the restart (RunOnce)" \
      grep -qixF "AutomationComponentSuite $arch $name=\"$(sed 's/x64/System32/;s/x86/SysWOW64/' <<<"C:\\windows\\$arch")\\regsvr32.exe\" /s \"$machine\\$arch\\$name\"" <(runonce_values)
  done
  check "$arch in use: nothing of $other waits for the restart" test -z "$(runonce_values | grep " $other ")"
  check "$arch in use: the held $arch DLLs are still the older build" same_build "$old_dist" "$arch"
  check "$arch in use: the $other DLLs were replaced at once" same_build "$root/dist" "$other"
  check "$arch in use: registered after the upgrade" probe_says x64 "$machine" absent
  # Only the RunOnce entry can register the held DLLs again after this.
  for f in "$root/dist/$arch"/*.dll; do "$WINE" "$regsvr" /u /s "$machine\\$arch\\$(basename "$f")"; done
  check "$arch in use: the held DLLs unregistered by hand" key_absent "HKLM\\Software\\Classes\\CLSID\\$lirrow_clsid" "/reg:$(view_of "$arch")"
  release "$arch"
  check "$arch in use: restart after the upgrade" "$WINE" wineboot -r
  check "$arch in use: nothing waits after the restart" no_pending
  check "$arch in use: no RunOnce entry left" test -z "$(runonce_values)"
  check "$arch in use: the new build in place after the restart" same_dlls "$machine_unix"
  check "$arch in use: no staging folder left" test ! -e "$machine_unix/.update"
  state "$arch in use: upgraded and restarted" installed absent

  # An uninstall, and a reinstall before the restart.
  hold "$arch" "$machine"
  check "$arch in use: uninstall ends with exit code 3010 (restart required)" \
    ends_with 3010 "\"$machine\\uninstall.exe\" /S _?=$machine"
  pending | sed "s/^/    pending: /"
  check "$arch in use: each held DLL waits to be removed from .removed" \
    test "$(pending | grep -iF "\\??\\$machine\\.removed\\" | grep -vc '\\$')" -eq "$(ls "$root/dist/$arch"/*.dll | wc -l)"
  for f in "$root/dist/$arch"/*.dll; do
    name="$(basename "$f")"
    check "$arch in use: no pending removal names $name's place" pending_lacks "\\??\\$machine\\$arch\\$name"
    check "$arch in use: $name has left its place" test ! -e "$machine_unix/$arch/$name"
  done
  check "$arch in use: the held DLLs wait in .removed" \
    test "$(ls "$machine_unix/.removed" | wc -l)" -eq "$(ls "$root/dist/$arch"/*.dll | wc -l)"
  check "$arch in use: nothing registered after the uninstall" probe_says x64 absent absent
  check "$arch in use: the $other DLLs are gone at once" no_dlls "$machine_unix" "$WINEPREFIX/drive_c" "$other"
  check "$arch in use: reinstall before the restart ends with exit code 0" ends_with 0 "\"$setup_win\" /S /AllUsers /D=$machine"
  release "$arch"
  check "$arch in use: restart after the reinstall" "$WINE" wineboot -r
  check "$arch in use: nothing waits after the second restart" no_pending
  check "$arch in use: nothing left in .removed" test ! -e "$machine_unix/.removed"
  state "$arch in use: the reinstall survives the restart" installed absent
  uninstall "$machine"
  state "$arch in use: uninstalled at last" absent absent
  rm -rf "$machine_unix"
}
in_use x64
# The 32-bit host: each 32-bit program is slow where it is emulated.
in_use x86

# Per user: nothing can wait for a restart. The silent upgrade and uninstall
# end with exit code 2 and leave the older build installed and registered;
# once the host has ended, both go through.
in_use_user() {  # in_use_user <arch>
  local arch="$1"
  check "$arch in use, per user: silent install of the older build" exits_with 0 "$WINE" "$old_setup" /S /CurrentUser
  hold "$arch" "$user"
  check "$arch in use, per user: upgrade ends with exit code 2" ends_with 2 "\"$setup_win\" /S /CurrentUser"
  check "$arch in use, per user: the older build stays (x64)" same_build "$old_dist" x64 "$user_unix"
  check "$arch in use, per user: the older build stays (x86)" same_build "$old_dist" x86 "$user_unix"
  check "$arch in use, per user: nothing waits for a restart" no_pending
  check "$arch in use, per user: no RunOnce entry" test -z "$(runonce_values)"
  check "$arch in use, per user: no staging folder left" test ! -e "$user_unix/.update"
  for a in x64 x86; do check "$arch in use, per user: still registered ($a view)" probe_says $a absent "$user"; done
  check "$arch in use, per user: uninstall ends with exit code 2" ends_with 2 "\"$user\\uninstall.exe\" /S _?=$user"
  check "$arch in use, per user: the older build stays after it" same_build "$old_dist" "$arch" "$user_unix"
  check "$arch in use, per user: nothing waits for a restart after it" no_pending
  for a in x64 x86; do check "$arch in use, per user: still registered after it ($a view)" probe_says $a absent "$user"; done
  release "$arch"
  check "$arch in use, per user: upgrade once the host has ended" ends_with 0 "\"$setup_win\" /S /CurrentUser"
  check "$arch in use, per user: the new build" same_dlls "$user_unix"
  uninstall "$user"
  state "$arch in use, per user: uninstalled" absent absent
}
in_use_user x86
in_use_user x64

rm -rf "$machine_unix" "$user_unix"
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/bin/bash
# Self-registration of both bitnesses side by side, in a Wine prefix of its
# own (it unregisters what the other tests need): after every step of a
# sequence of registering and unregistering the x64 DLLs, the x86 DLLs and
# a copy of the x64 DLLs in another folder, both registry views hold exactly
# the keys of the halves that are registered, and CreateObject from the 64-bit
# and the 32-bit cscript finds exactly the classes of its own bitness. Then
# unregistration by other spellings of the registered file's path (its short
# name, other letter case, the \\?\ prefix, another drive letter for the same
# folder) removes the registration, and a file of the same name in another
# folder does not.
#   registration_test.sh <registry_probe.exe (x64)>
set -uo pipefail
probe="$1"
source "$(dirname "$0")/../common/session.sh" wine-registration
# Where the x86 half is left out (tools/x86-probe), the machine sequence runs
# with its x86 steps as no-ops and the x86 half expected absent, the x64
# spellings run, and the per-user sequence (whose keys depend on which
# bitness registered last) and the x86 spellings are skipped.
with_x86=yes
x86_steps "registration.x64: its x86 steps and the per-user sequence" || with_x86=no

libraries=(Lirrow Velmora)
classes=(
  "Lirrow.Lirrow,{AC63C352-843F-408C-B60C-ED2ACC3147D4},{649B234E-BEC2-4750-86A1-3C962892EECA},{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA},4.0"
  "Velmora.Velmora,{DF1EA31F-BF8E-4C1A-AED6-0492D02E7269},{0F48D701-CE54-4FC2-8C1D-1F8C8351FEAE},{30E18446-216C-4D8F-8A7E-111654714F47},4.0"
  "Velmora.ClassForGradient,{534F3C90-3B13-4DDE-933C-C4D2C888145C},{DFCAE676-3A4F-429E-A3FA-C293078468F3},{30E18446-216C-4D8F-8A7E-111654714F47},4.0"
)
libids=("{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA}" "{30E18446-216C-4D8F-8A7E-111654714F47}")
cscript64="$(suite_cscript x64)" cscript32="$(suite_cscript x86)"
regsvr64="$(suite_regsvr32 x64)" regsvr32="$(suite_regsvr32 x86)"
mkdir -p "$work/copy"
cp "$root"/dist/x64/{Lirrow,Velmora}.dll "$work/copy/"
cp "$root/tests/installer/registration_state.vbs" "$work/"
declare -A folder=([x64]="$(suite_winpath "$root/dist/x64")" [x86]="$(suite_winpath "$root/dist/x86")" [copy]="$(suite_winpath "$work/copy")")
labels=("x64=${folder[x64]}" "x86=${folder[x86]}" "copy=${folder[copy]}")

# A run that was stopped half-way leaves its registrations: start afresh.
for libid in "${libids[@]}"; do
  if "$WINE" reg query "HKLM\\Software\\Classes\\TypeLib\\$libid" >/dev/null 2>&1; then
    echo "registrations of an earlier run found: a fresh prefix"
    suite_wine_down
    rm -rf "$WINEPREFIX"
    suite_wine_up
    break
  fi
done

state() {  # state <view name> <cscript>
  "$WINE" "$2" //nologo "$(suite_winpath "$work/registration_state.vbs")" "$1" "${labels[@]}" "${classes[@]}" 2>&1 | tr -d '\r'
}
expected() {  # expected <view name> <server of the view's class keys> <x64 half> <x86 half>
  local spec progid any=no iface=no create=429
  [ "$3$4" != nonenone ] && any=yes
  [ "$2" != none ] && { iface=yes; create=0; }
  for spec in "${classes[@]}"; do
    progid="${spec%%,*}"
    echo "$1 $progid clsid=$2 iface=$iface progid=$any win32=$4 win64=$3 lib=$any create=$create"
  done
}
# The keys each bitness sees and what CreateObject finds after one step.
expect() {  # expect <step> <x64 half: none|x64|copy> <x86 half: none|x86>
  local got want x86_half="$3"
  if [ "$with_x86" = yes ]; then
    got="$(state view64 "$cscript64"; state view32 "$cscript32")"
    want="$(expected view64 "$2" "$2" "$3"; expected view32 "$3" "$2" "$3")"
  else
    x86_half=none
    got="$(state view64 "$cscript64")"
    want="$(expected view64 "$2" "$2" none)"
  fi
  report_same "$1" "x64 half $2, x86 half $x86_half" "$want" "$got"
  # With nothing registered no key of ours is left, not even an empty one.
  if [ "$2$x86_half" = nonenone ]; then
    local libid
    for libid in "${libids[@]}"; do
      check "$1: TypeLib\\$libid gone" key_absent "HKLM\\Software\\Classes\\TypeLib\\$libid"
    done
  fi
}
run() {  # run <regsvr32> <arguments> <folder label>: every library of the list
  local tool="$1" switches="$2" where="$3" lib
  [ "$where" = x86 ] && [ "$with_x86" = no ] && return
  for lib in "${libraries[@]}"; do
    check "regsvr32 $switches $where\\$lib.dll answers success" "$WINE" "$tool" $switches "${folder[$where]}\\$lib.dll"
  done
}

expect "nothing registered" none none
run "$regsvr64" /s x64;        expect "register x64" x64 none
run "$regsvr32" /s x86;        expect "register x86 beside it" x64 x86
run "$regsvr64" "/u /s" x64;   expect "unregister x64 first" none x86
run "$regsvr64" "/u /s" x64;   expect "unregister x64 twice" none x86
run "$regsvr64" /s x64;        expect "register x64 again" x64 x86
run "$regsvr32" "/u /s" x86;   expect "unregister x86 first" x64 none
run "$regsvr32" "/u /s" x86;   expect "unregister x86 twice" x64 none
run "$regsvr32" /s x86;        expect "register x86 again" x64 x86
run "$regsvr32" /s x86;        expect "register x86 twice" x64 x86
run "$regsvr64" "/u /s" copy;  expect "unregister a copy that is not the registered one" x64 x86
run "$regsvr32" "/u /s" x86;   expect "unregister x86" x64 none
run "$regsvr64" "/u /s" x64;   expect "unregister x64 last" none none
run "$regsvr64" "/u /s" x64;   expect "unregister x64 never registered" none none
run "$regsvr32" "/u /s" x86;   expect "unregister x86 never registered" none none
run "$regsvr32" /s x86;        expect "register x86 alone" none x86
run "$regsvr64" /s copy;       expect "register the copy" copy x86
run "$regsvr64" "/u /s" x64;   expect "unregister x64 while the copy is registered" copy x86
run "$regsvr64" /s x64;        expect "register x64 over the copy" x64 x86
run "$regsvr64" "/u /s" copy;  expect "unregister the copy after that" x64 x86
run "$regsvr64" "/u /s" x64;   expect "unregister x64" none x86
run "$regsvr32" "/u /s" x86;   expect "unregister x86 last" none none

# Per user: regsvr32 /n /i:user writes under HKCU\Software\Classes only. Wine 8
# keeps one view of the user's classes for both bitnesses (no Wow6432Node
# there), so the class keys name the bitness registered last and stay for
# the other one when one unregisters; and its HKEY_CLASSES_ROOT is the
# machine's classes alone, so CreateObject does not find classes registered
# for the user only (error 429 from both cscripts).
expected_user() {  # expected_user <view> <machine x64> <machine x86> <user class keys> <user win64> <user win32>
  local own="$2" any=no spec progid
  [ "$1" = user32 ] && own="$3"
  [ "$5$6" != nonenone ] && any=yes
  while read -r line; do
    echo "$line"
    progid="$(cut -d' ' -f2 <<<"$line")"
    echo "$1 $progid user clsid=$4 iface=$([ "$4" != none ] && echo yes || echo no) progid=$any win32=$6 win64=$5 lib=$any"
  done < <(expected "$1" "$own" "$2" "$3")
}
expect_user() {  # expect_user <step> <machine x64> <machine x86> <user class keys> <user win64> <user win32>
  local got want
  got="$(state user64 "$cscript64"; [ "$with_x86" = no ] || state user32 "$cscript32")"
  want="$(expected_user user64 "${@:2}"; [ "$with_x86" = no ] || expected_user user32 "${@:2}")"
  report_same "$1" "machine $2/$3, user class keys $4, user type library $5/$6" "$want" "$got"
}
if [ "$with_x86" = yes ]; then
  run "$regsvr64" "/n /i:user /s" x64;     expect_user "register x64 for the user" none none x64 x64 none
  run "$regsvr32" "/n /i:user /s" x86;     expect_user "register x86 for the user" none none x86 x64 x86
  run "$regsvr64" "/u /n /i:user /s" x64;  expect_user "unregister x64 for the user" none none x86 none x86
  run "$regsvr64" "/n /i:user /s" x64;     expect_user "register x64 for the user again" none none x64 x64 x86
  run "$regsvr32" "/u /n /i:user /s" x86;  expect_user "unregister x86 for the user" none none x64 x64 none
  run "$regsvr64" /s x64;                  expect_user "register x64 for the machine beside" x64 none x64 x64 none
  run "$regsvr32" /s x86;                  expect_user "register x86 for the machine beside" x64 x86 x64 x64 none
  run "$regsvr64" "/u /n /i:user /s" x64;  expect_user "unregister x64 for the user again" x64 x86 none none none
  run "$regsvr64" "/u /n /i:user /s" x64;  expect_user "unregister x64 for the user twice" x64 x86 none none none
  run "$regsvr64" "/n /i:user /s" x64;     expect_user "register x64 for the user over the machine" x64 x86 x64 x64 none
  run "$regsvr64" "/u /s" x64;             expect_user "unregister x64 for the machine" none x86 x64 x64 none
  run "$regsvr32" "/u /s" x86;             expect_user "unregister x86 for the machine" none none x64 x64 none
  run "$regsvr64" "/u /n /i:user /s" x64;  expect_user "unregister x64 for the user last" none none none none none
fi
# One name in System32 and in SysWOW64, registered for the user by both
# bitnesses, the x64 last: the one class key names System32\Lirrow.dll,
# which a 32-bit process reads as the x86 file in SysWOW64. The x86 DLL
# unregistering must leave the x64 keys (it removes its own type library
# entry only); the x64 DLL unregistering then removes them.
user_value() {  # user_value <key under HKCU\Software\Classes>: its default value, or nothing
  "$WINE" reg query "HKCU\\Software\\Classes\\$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}
if [ "$with_x86" = yes ]; then
  sys_x64='C:\windows\system32\Lirrow.dll' sys_x86='C:\windows\syswow64\Lirrow.dll'
  cp "$root/dist/x64/Lirrow.dll" "$WINEPREFIX/drive_c/windows/system32/Lirrow.dll"
  cp "$root/dist/x86/Lirrow.dll" "$WINEPREFIX/drive_c/windows/syswow64/Lirrow.dll"
  lirrow_tlb='TypeLib\{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA}\4.0\0'
  lirrow_class='CLSID\{AC63C352-843F-408C-B60C-ED2ACC3147D4}\InprocServer32'
  system_state() { echo "class=$(user_value "$lirrow_class") win64=$(user_value "$lirrow_tlb\\win64") win32=$(user_value "$lirrow_tlb\\win32")"; }
  check "regsvr32 (x86) /n /i:user $sys_x86" "$WINE" "$regsvr32" /n /i:user /s "$sys_x86"
  check "regsvr32 (x64) /n /i:user $sys_x64" "$WINE" "$regsvr64" /n /i:user /s "$sys_x64"
  report_same "System32 and SysWOW64 for the user" "both registered, the class key names System32" \
    "class=$sys_x64 win64=$sys_x64 win32=$sys_x86" "$(system_state)"
  check "regsvr32 (x86) /u /n /i:user $sys_x86" "$WINE" "$regsvr32" /u /n /i:user /s "$sys_x86"
  report_same "System32 and SysWOW64: x86 unregistered" "the x64 keys stay" \
    "class=$sys_x64 win64=$sys_x64 win32=" "$(system_state)"
  check "regsvr32 (x64) /u /n /i:user $sys_x64" "$WINE" "$regsvr64" /u /n /i:user /s "$sys_x64"
  report_same "System32 and SysWOW64: x64 unregistered" "nothing left" "class= win64= win32=" "$(system_state)"
  rm -f "$WINEPREFIX/drive_c/windows/system32/Lirrow.dll" "$WINEPREFIX/drive_c/windows/syswow64/Lirrow.dll"
fi
# Refused: regsvr32's own code for a failed entry point (5), not the codes
# for a file it could not load (3) or an entry point it did not find (4).
for lib in "${libraries[@]}"; do
  for switches in "/n /i:machine /s" "/n /i /s" "/n /i:userx /s"; do
    check "regsvr32 $switches $lib.dll refused by the DLL" exits_with 5 "$WINE" "$regsvr64" $switches "${folder[x64]}\\$lib.dll"
  done
done
expect_user "nothing written by refused command lines" none none none none none

# Unregistration by another spelling of the registered file. The DLLs are
# registered from a long folder name under C:\, then unregistered by another
# spelling of the same file; a file of the same name in another folder is
# another file. Before: the view's class key names the long path (read by the
# same reg that finds nothing after); after: the keys the view sees and
# CreateObject from that bitness's cscript.
long_win='C:\Program Files\Test Suite Long' other_win='C:\Program Files\Test Suite Other'
long_unix="$WINEPREFIX/drive_c/Program Files/Test Suite Long" other_unix="$WINEPREFIX/drive_c/Program Files/Test Suite Other"
lirrow_clsid='{AC63C352-843F-408C-B60C-ED2ACC3147D4}'
for arch in x64 x86; do
  mkdir -p "$long_unix/$arch" "$other_unix/$arch"
  cp "$root/dist/$arch/Lirrow.dll" "$long_unix/$arch/"
  cp "$root/dist/$arch/Lirrow.dll" "$other_unix/$arch/"
done
# Q: is another drive letter for the long folder, in this prefix only.
ln -sfn "$long_unix" "$WINEPREFIX/dosdevices/q:"
trap 'rm -f "$WINEPREFIX/dosdevices/q:"; rm -rf "$work" "$long_unix" "$other_unix"; suite_wine_down' EXIT
short_win="$("$WINE" "$probe" short "$long_win" 2>/dev/null | tr -d '\r')"
check "the long folder has a short name ($short_win)" test -n "$short_win" -a "$short_win" != "$long_win"
labels+=("long64=$long_win\\x64" "long86=$long_win\\x86" "other64=$other_win\\x64" "other86=$other_win\\x86")
lirrow_spec="${classes[0]}"

server_in_view() {  # server_in_view <32|64>: Lirrow's registered server in that view
  "$WINE" reg query "HKLM\\Software\\Classes\\CLSID\\$lirrow_clsid\\InprocServer32" /ve "/reg:$1" 2>/dev/null |
    tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}
# spelled <arch> <name> <path>: register Lirrow by the long path, unregister
# it by <path>; a path in the other folder must leave the registration.
spelled() {
  local arch="$1" name="$2" path="$3" tool="$regsvr64" cscript="$cscript64" view=view64 bits=64 label=long64 got want
  [ "$arch" = x86 ] && { tool="$regsvr32"; cscript="$cscript32"; view=view32; bits=32; label=long86; }
  local long_path="$long_win\\$arch\\Lirrow.dll"
  check "$arch $name: regsvr32 $long_path" "$WINE" "$tool" /s "$long_path"
  got="$(server_in_view $bits)"
  report_same "$arch $name: before" "registered as $long_path" "$long_path" "$got"
  check "$arch $name: regsvr32 /u $path answers success" "$WINE" "$tool" /u /s "$path"
  got="$("$WINE" "$cscript" //nologo "$(suite_winpath "$work/registration_state.vbs")" $view "${labels[@]}" "$lirrow_spec" 2>&1 | tr -d '\r')"
  if [[ "$name" == copy* ]]; then
    want="$view Lirrow.Lirrow clsid=$label iface=yes progid=yes win32=$([ $arch = x86 ] && echo $label || echo none) win64=$([ $arch = x64 ] && echo $label || echo none) lib=yes create=0"
    report_same "$arch $name: after" "$path leaves the registration" "$want" "$got"
    "$WINE" "$tool" /u /s "$long_path"
  else
    want="$view Lirrow.Lirrow clsid=none iface=no progid=no win32=none win64=none lib=no create=429"
    report_same "$arch $name: after" "$path removes the registration" "$want" "$got"
  fi
  check "$arch $name: nothing left" key_absent "HKLM\\Software\\Classes\\CLSID\\$lirrow_clsid" "/reg:$bits"
}
spellings() {  # spellings <arch>
  local arch="$1" upper="$long_win\\$1\\Lirrow.dll"
  spelled "$arch" "short name" "$short_win\\$arch\\Lirrow.dll"
  spelled "$arch" "other case" "${upper^^}"
  spelled "$arch" "\\\\?\\ prefix" "\\\\?\\$long_win\\$arch\\Lirrow.dll"
  spelled "$arch" "drive Q" "Q:\\$arch\\Lirrow.dll"
  spelled "$arch" "copy in another folder" "$other_win\\$arch\\Lirrow.dll"
  spelled "$arch" "copy in another folder, short name" "$("$WINE" "$probe" short "$other_win" | tr -d '\r')\\$arch\\Lirrow.dll"
}
spellings x64
# The 32-bit half: each 32-bit program is slow where it is emulated.
[ "$with_x86" = no ] || spellings x86

echo "registration: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

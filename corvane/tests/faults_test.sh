#!/bin/bash
# CopyFiles, MoveFiles, DeleteFolderOrFile and FolderOrFileSize under real
# faults: a small tmpfs volume as drive Q: with room for part of a copy, a full
# one as drive R:, read-only files, a file held open without sharing by
# another program, a file another program keeps appending to, a folder name
# of 250 characters, bind mounts of an ancestor and of a sibling, and a folder
# whose 8-bit best-fit look-alike is its neighbour's name.
#   faults_test.sh <x64|x86> <fault_client.exe>
# Every file of every volume involved is hashed outside Wine before and after
# the calls; the files after must be exactly the files before with only the
# changes that the calls answering True report. Mounting needs root: where it
# is refused the test is skipped (exit 77), never passed.
set -uo pipefail
arch="$1" client="$2"
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/tools/winenv.sh"

skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "mounting needs root"

work="$(mktemp -d /tmp/corvane_faults.XXXXXX)"
mounts=()     # mounted folders, unmounted in reverse order
drives=()     # dosdevices links made here
holder=""
appender=""
cleanup() {
  [ -n "$holder$appender" ] && { touch "$work/release"; wait $holder $appender 2>/dev/null; }
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}"; done
  for link in "${drives[@]}"; do rm -f "$link"; done
  rm -rf "$work"
}
trap cleanup EXIT

mount_tmpfs() {  # mount_tmpfs <folder> <drive letter>
  mkdir -p "$1"
  mount -t tmpfs -o size=1m tmpfs "$1" 2>"$work/mount.err" || skip "cannot mount a tmpfs volume: $(cat "$work/mount.err")"
  mounts+=("$1")
  local link="$WINEPREFIX/dosdevices/$2:"
  [ -e "$link" ] && skip "drive $2: is taken in the test prefix"
  ln -s "$1" "$link"
  drives+=("$link")
}
bind() {  # bind <folder> <onto folder>
  mount --bind "$1" "$2" 2>"$work/mount.err" || skip "cannot bind-mount: $(cat "$work/mount.err")"
  mounts+=("$2")
}
bytes() { head -c "$2" /dev/urandom >"$1"; }

suite_wine_up || exit 1
z="$work/z" q="$work/q" r="$work/r"
mkdir -p "$z/other"
mount_tmpfs "$q" q
mount_tmpfs "$r" r
Z="$(suite_winpath "$z")"

# Q: 1 MB holding a 700,000-byte keep.bin: a 2,000,000-byte copy starts and
# runs out of room part-way.
mkdir -p "$q/d"
bytes "$z/big.bin" 2000000
bytes "$q/d/keep.bin" 700000
bytes "$q/d/keep2.bin" 1000
bytes "$q/d/ro.bin" 1000 && chmod a-w "$q/d/ro.bin"
bytes "$q/d/held.bin" 1000
# To be recycled from Q:, which is not the volume of the recycle bin.
bytes "$q/d/recycled.bin" 1000
bytes "$q/d/ro-recycle.bin" 1000 && chmod a-w "$q/d/ro-recycle.bin"
mkdir -p "$q/d/tree" && bytes "$q/d/tree/inner.bin" 1000
for name in small1 small2 small3 small4 small5 small6; do bytes "$z/$name.bin" 1000; done
# A folder name of 250 characters: a temporary name beside a file in it
# passes MAX_PATH, the file's own path does not.
long="$(printf 'L%.0s' $(seq 250))"
mkdir -p "$q/$long"
# Grown by the other program during the moves: not in the snapshots.
mkdir -p "$z/append"
bytes "$z/append/growing.bin" 50000
bytes "$z/link-target.bin" 1000  # and two symbolic links to it
ln -s "$z/link-target.bin" "$z/link.bin"
ln -s "$z/link-target.bin" "$z/link2.bin"
bytes "$z/ro-source.bin" 1000 && chmod a-w "$z/ro-source.bin"
bytes "$z/ro.bin" 1000 && chmod a-w "$z/ro.bin"
bytes "$z/held.bin" 3000
# R: full before anything is copied.
mkdir -p "$r/d"
bytes "$r/d/keep.bin" 100000
dd if=/dev/zero of="$r/fill" bs=4096 2>/dev/null
# A tree with an ancestor mounted twice below itself, one with a sibling
# mounted beside it, and one with look-alike and unholdable folder names.
mkdir -p "$z/tree/a/loop1" "$z/tree/a/loop2" "$z/siblings/s1" "$z/siblings/s2" "$z/names/data" "$z/names/dāta" "$z/names/dЖta"
bytes "$z/tree/f.bin" 3
bind "$z/tree" "$z/tree/a/loop1"
bind "$z/tree" "$z/tree/a/loop2"
bytes "$z/siblings/s1/f.bin" 5
bind "$z/siblings/s1" "$z/siblings/s2"
bytes "$z/names/data/f.bin" 100
bytes "$z/names/dāta/f.bin" 7
bytes "$z/names/dЖta/f.bin" 20

# Every file as "path size mode last-write hash", the bind mounts seen once.
snapshot() {
  (cd "$work" && find z q r -xdev \( -path z/tree/a/loop1 -o -path z/tree/a/loop2 -o -path z/siblings/s2 -o -path z/append \) -prune -o -type f -print0 | sort -z |
    xargs -0 stat -c '%n %s %A %Y' | while read -r path size mode written; do
      echo "$path $size $mode $written $(sha256sum <"$path" | cut -c1-16)"
    done)
}
snapshot >"$work/before"
r_free() { df --output=avail -B1 "$r" | tail -1; }
r_free_before="$(r_free)"
line_of() { grep "^$1 " "$work/before" | cut -d' ' -f2-; }

# The other program: holds two files open, sharing nothing.
release_flag="$(suite_winpath "$work")\\release"
"$WINE" "$client" hold "$release_flag" "$Z\\held.bin" 'Q:\d\held.bin' >"$work/held" 2>/dev/null </dev/null &
holder=$!
for _ in $(seq 1200); do grep -q '^held' "$work/held" && break; sleep 0.1; done
grep -q '^held' "$work/held" || { echo "FAIL the other program holds nothing: $(cat "$work/held")"; exit 1; }
# Another one appends to growing.bin, sharing reading, writing and deletion.
"$WINE" "$client" append "$release_flag" "$Z\\append\\growing.bin" >"$work/appended" 2>/dev/null </dev/null &
appender=$!
for _ in $(seq 1200); do grep -q '^appending' "$work/appended" && break; sleep 0.1; done
grep -q '^appending' "$work/appended" || { echo "FAIL the other program appends nothing: $(cat "$work/appended")"; exit 1; }

# label, fault, expected answer, call (method and arguments, tab-separated)
cases="$work/cases"
: >"$cases"
case_() { local label="$1" fault="$2" want="$3"; shift 3; printf '%s\t%s\t%s\t%s\n' "$label" "$fault" "$want" "$(IFS=$'\t'; echo "$*")" >>"$cases"; }
# First, while the other program is surely still appending.
case_ a-move "appended to by another program" False move "$Z\\append\\growing.bin" 'Q:\d\growing.bin' 0
full_during="volume full during the copy"
case_ m-keep "$full_during" False move "$Z\\big.bin" 'Q:\d\keep.bin' -1
case_ m-new "$full_during" False move "$Z\\big.bin" 'Q:\d\new-move.bin' 0
case_ c-new "$full_during" False copy "$Z\\big.bin" 'Q:\d\new-copy.bin' 0
case_ c-new-rw "$full_during" False copy "$Z\\big.bin" 'Q:\d\new-copy.bin' -1
case_ m-small "room for the copy" True move "$Z\\small1.bin" 'Q:\d\keep2.bin' -1
case_ m-fresh "room for the copy" True move "$Z\\small2.bin" 'Q:\d\fresh.bin' 0
case_ c-fresh "room for the copy" True copy "$Z\\small3.bin" 'Q:\d\copied.bin' 0
case_ m-ro-source "read-only source" True move "$Z\\ro-source.bin" 'Q:\d\from-ro.bin' 0
case_ m-link "symbolic link as the source" False move "$Z\\link.bin" 'Q:\d\link.bin' 0
case_ m-link-same "symbolic link, same volume" False move "$Z\\link2.bin" "$Z\\other\\link2.bin" 0
case_ m-long "folder name of 250 characters" True move "$Z\\small5.bin" "Q:\\$long\\f.bin" 0
case_ c-long "folder name of 250 characters" True copy "$Z\\small6.bin" "Q:\\$long\\c.bin" 0
case_ c-keep "$full_during" False copy "$Z\\big.bin" 'Q:\d\keep2.bin' 0
full_before="volume full before the copy"
case_ r-m-keep "$full_before" False move "$Z\\small4.bin" 'R:\d\keep.bin' -1
case_ r-m-new "$full_before" False move "$Z\\small4.bin" 'R:\d\new.bin' 0
case_ r-c-new "$full_before" False copy "$Z\\small4.bin" 'R:\d\new.bin' 0
case_ r-m-keep-rw0 "$full_before, destination kept" False move "$Z\\small4.bin" 'R:\d\keep.bin' 0
case_ ro-same "read-only destination" False move "$Z\\small4.bin" "$Z\\ro.bin" -1
case_ ro-across "read-only destination" False move "$Z\\small4.bin" 'Q:\d\ro.bin' -1
held="held open without sharing"
case_ h-del "$held" False delete "$Z\\held.bin" 0 0
case_ h-recycle "$held" False delete "$Z\\held.bin" -1 0
case_ h-m-from "$held" False move "$Z\\held.bin" "$Z\\other\\moved.bin" 0
case_ h-m-from-across "$held" False move "$Z\\held.bin" 'Q:\d\moved.bin' 0
case_ h-c-from "$held" False copy "$Z\\held.bin" "$Z\\other\\copied.bin" 0
case_ h-m-onto "$held" False move "$Z\\small4.bin" "$Z\\held.bin" -1
case_ h-m-onto-across "$held" False move "$Z\\small4.bin" 'Q:\d\held.bin' -1
case_ h-c-onto "$held" False copy "$Z\\small4.bin" "$Z\\held.bin" 0
case_ h-c-onto-rw "$held" False copy "$Z\\small4.bin" "$Z\\held.bin" -1
# Recycling from another volume than the bin's: what the bin takes goes
# there; what it cannot take stays (never deleted for good), with False.
no_bin="recycled from another volume"
case_ q-recycle "$no_bin" True delete 'Q:\d\recycled.bin' -1 0
case_ q-ro-recycle "$no_bin, read-only file" False delete 'Q:\d\ro-recycle.bin' -1 0
case_ q-tree-recycle "$no_bin, a folder" False delete 'Q:\d\tree' -1 0
case_ bind-ancestor "ancestor bind-mounted twice" 3 size "$Z\\tree"
case_ bind-sibling "sibling bind-mounted" 5 size "$Z\\siblings"
case_ look-alike "look-alike and unholdable names" 127 size "$Z\\names"
case_ r-root "root of a full tmpfs drive" "$(( $(find "$r" -type f -printf '%s+') 0 ))" size 'R:\'
cut -f1,4- "$cases" >"$work/operations"

"$WINE" "$client" run "$(suite_winpath "$work/operations")" 2>/dev/null </dev/null | tr -d '\r' >"$work/answers"
touch "$work/release"
# Only the two programs: Xvfb may be a child of this shell too.
wait $holder $appender
holder="" appender=""
snapshot >"$work/after"

passed=0 failed=0
check() {  # check <description> <command...>
  if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1"; fi
}
# The answers, and the table of what each call found and left.
printf '%-34s %-6s %s\n' "fault" "answer" "call"
while IFS=$'\t' read -r label fault want call; do
  got="$(grep -P "^$label\t" "$work/answers" | cut -f2)"
  printf '%-34s %-6s %s\n' "$fault" "${got:-none}" "$(tr '\t' ' ' <<<"$call")"
  check "$label: $want wanted, ${got:-no answer} given" [ "$got" = "$want" ]
done <"$cases"

# What the calls answering True changed: each moved or copied file is at its
# destination with its content, a moved source is gone; nothing else changed.
expected="$work/expected"
cp "$work/before" "$expected"
moved() {  # moved <source> <destination> [mode]
  local entry; entry="$(line_of "$1")"
  sed -i "\\#^$1 #d; \\#^$2 #d" "$expected"
  echo "$2 ${entry}" >>"$expected"
}
copied() { local entry; entry="$(line_of "$1")"; sed -i "\\#^$2 #d" "$expected"; echo "$2 ${entry}" >>"$expected"; }
moved z/small1.bin q/d/keep2.bin
moved z/small2.bin q/d/fresh.bin
copied z/small3.bin q/d/copied.bin
moved z/ro-source.bin q/d/from-ro.bin
sed -i '\#^q/d/recycled.bin #d' "$expected"
# The recycled file is in the bin whole, under its name (with a suffix or not).
trash="$HOME/.local/share/Trash/files"
in_bin=no
for f in "$trash"/recycled.bin*; do
  [ -f "$f" ] && [ "$(sha256sum <"$f" | cut -c1-16)" = "$(line_of q/d/recycled.bin | cut -d' ' -f4)" ] && in_bin=yes
done
check "the file recycled from Q: is in the bin whole" [ "$in_bin" = yes ]
# Not kept: the bin's copies, and the platform's stray copy of the read-only file.
rm -f "$trash"/recycled.bin* "$trash"/ro-recycle.bin* "$trash"/../info/recycled.bin*.trashinfo
moved z/small5.bin "q/$long/f.bin"
copied z/small6.bin "q/$long/c.bin"
# CopyFiles over an existing file keeps the platform's copy: what it leaves
# of keep2.bin (by then small1.bin's content) after running out of room is
# shown, not required.
echo "CopyFiles over keep2.bin, out of room: before $(line_of z/small1.bin), after $(grep '^q/d/keep2.bin ' "$work/after" | cut -d' ' -f2-)"
grep -v '^q/d/keep2.bin ' "$work/after" | sort >"$work/after.compared"
grep -v '^q/d/keep2.bin ' "$expected" | sort >"$work/expected.compared"
if diff "$work/expected.compared" "$work/after.compared" >"$work/diff"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAIL the files after the calls (< expected, > found):"
  sed 's/^/    /' "$work/diff"
fi
# The appended file: every byte the other program wrote is in one place, and
# a move that answered False left no copy.
appended="$(sed -n 's/^size //p' "$work/appended" | tr -d '\r')"
a_answer="$(grep -P '^a-move\t' "$work/answers" | cut -f2)"
if [ "$a_answer" = True ]; then a_place=q/d/growing.bin; else a_place=z/append/growing.bin; fi
a_size="$(stat -c %s "$work/$a_place" 2>/dev/null)"
check "appended file: ${appended:-no} bytes written, ${a_size:-none} at $a_place after $a_answer" [ "${a_size:-none}" = "${appended:-no}" ]
check "a move answering False leaves no copy of the appended file" test "$a_answer" = True -o ! -e "$work/q/d/growing.bin"
check "the links not moved are still links" [ -L "$z/link.bin" -a -L "$z/link2.bin" ]
# Refused before writing: the full volume has as much room as before.
check "free space on the full R: $(r_free) after, $r_free_before before" [ "$(r_free)" = "$r_free_before" ]
echo "faults $arch: $passed passed, $failed failed"
[ "$failed" = 0 ]

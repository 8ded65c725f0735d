#!/bin/bash
# Corvane's benchmarks, each figure beside its anchor measured in the same run:
#   folder size of a 50,000-file tree: FolderOrFileSize from VBScript, the
#   scripting runtime's recursive walk from VBScript, and `du` natively;
#   content identity of two 1 GiB files: FileIdentify from VBScript and `cmp`
#   natively, the files in the page cache.
# Called by bench/run.sh after the build (the Wine session is up).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
here="$root/bench/corvane"
source "$root/tools/winenv.sh"
suite_wine_up
work="$root/build/bench/corvane"
mkdir -p "$work"
"$WINE" regsvr32 /s "$(suite_winpath "$root/dist/x64/Corvane.dll")"

now() { date +%s.%N; }
seconds() { python3 -c "import sys; print('%.3f' % (float(sys.argv[2]) - float(sys.argv[1])))" "$1" "$2"; }

tree="$work/tree"
if [ ! -f "$work/tree.done" ]; then
  rm -rf "$tree"
  python3 "$here/make_tree.py" "$tree" >/dev/null
  touch "$work/tree.done"
fi
wintree="$(suite_winpath "$tree")"
echo "tree: $(find "$tree" -type f | wc -l) files, $(find "$tree" -mindepth 1 -type d | wc -l) folders"
# One untimed walk first, so that every contender finds the folders, the
# file records and their attributes in the caches.
du -sb --apparent-size "$tree" >/dev/null
"$WINE" cscript //nologo "$(suite_winpath "$here/size_walk.vbs")" "$wintree" </dev/null >/dev/null

start=$(now); du_line="$(du -sb --apparent-size "$tree")"; end=$(now)
du_seconds="$(seconds "$start" "$end")"
du_bytes="$(cut -f1 <<<"$du_line")"
# du counts the folders' own sizes too; the file bytes alone for comparison:
file_bytes="$(find "$tree" -type f -printf '%s\n' | awk '{s += $1} END {print s}')"

start=$(now); corvane_line="$("$WINE" cscript //nologo "$(suite_winpath "$here/size_walk.vbs")" "$wintree" </dev/null | tr -d '\r')"; end=$(now)
corvane_wall="$(seconds "$start" "$end")"
start=$(now); script_line="$("$WINE" cscript //nologo "$(suite_winpath "$here/script_walk.vbs")" "$wintree" </dev/null | tr -d '\r')"; end=$(now)
script_wall="$(seconds "$start" "$end")"

bare="$root/build/win64/bench/corvane/corvane_bare_walk.exe"
bare_line="$("$WINE" "$bare" "$wintree" </dev/null | tr -d '\r')"

read -r _ bare_bytes bare_seconds <<<"$bare_line"
read -r _ corvane_bytes corvane_seconds <<<"$corvane_line"
read -r _ script_bytes script_seconds <<<"$script_line"
printf '%-44s %12s %10s %14s\n' "folder size of the tree" "seconds" "wall" "bytes"
printf '%-44s %12s %10s %14s\n' "du -sb --apparent-size (native)" "$du_seconds" "$du_seconds" "$du_bytes"
printf '%-44s %12s %10s %14s\n' "FolderOrFileSize from VBScript (Wine)" "$corvane_seconds" "$corvane_wall" "$corvane_bytes"
printf '%-44s %12s %10s %14s\n' "bare FindFirstFileA walk in C++ (Wine)" "$bare_seconds" "" "$bare_bytes"
printf '%-44s %12s %10s %14s\n' "FSO Files/SubFolders walk in VBScript (Wine)" "$script_seconds" "$script_wall" "$script_bytes"
echo "file bytes (find): $file_bytes"
python3 - "$du_seconds" "$corvane_seconds" "$script_seconds" <<'PY'
import sys
du, corvane, script = map(float, sys.argv[1:])
print("FolderOrFileSize: %.1fx faster than the script walk, %.2fx the time of du" % (script / corvane, corvane / du))
PY

# Two identical 1 GiB files of random bytes, and one that differs in its
# first byte.
one="$work/one.bin" two="$work/two.bin" first="$work/first.bin"
if [ ! -f "$work/files.done" ]; then
  head -c $((1 << 30)) /dev/urandom >"$one"
  cp "$one" "$two"
  cp "$one" "$first"
  python3 -c "import sys; f = open(sys.argv[1], 'r+b'); b = f.read(1); f.seek(0); f.write(bytes([b[0] ^ 0xFF]))" "$first"
  touch "$work/files.done"
fi
cat "$one" "$two" "$first" >/dev/null  # into the page cache
cmp -s "$one" "$first" && { echo "first.bin does not differ"; exit 1; }

start=$(now); cmp "$one" "$two"; end=$(now)
cmp_seconds="$(seconds "$start" "$end")"
identify() { "$WINE" cscript //nologo "$(suite_winpath "$here/identify.vbs")" "$(suite_winpath "$1")" "$(suite_winpath "$2")" </dev/null | tr -d '\r'; }
read -r _ same_answer same_seconds <<<"$(identify "$one" "$two")"
read -r _ differ_answer differ_seconds <<<"$(identify "$one" "$first")"
echo
printf '%-44s %12s %8s\n' "content of two 1 GiB files" "seconds" "answer"
printf '%-44s %12s %8s\n' "cmp (native)" "$cmp_seconds" "same"
printf '%-44s %12s %8s\n' "FileIdentify from VBScript (Wine)" "$same_seconds" "$same_answer"
printf '%-44s %12s %8s\n' "FileIdentify, first byte differs (Wine)" "$differ_seconds" "$differ_answer"

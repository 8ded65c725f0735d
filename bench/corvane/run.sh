#!/bin/bash
# Corvane's benchmarks, each figure beside its anchor measured in the same run:
#   folder size of a 50,000-file tree: FolderOrFileSize from VBScript, the
#   scripting runtime's recursive walk from VBScript, and `du` natively (and a
#   bare listing walk in C++ under Wine, the platform's floor);
#   content identity of two 1 GiB files: FileIdentify from VBScript and `cmp`
#   natively, the files in the page cache.
# The machine is shared and its load varies from second to second, so the
# contenders take turns for three rounds and each figure is its best round.
# Called by bench/run.sh after the build (the Wine session is up).
#   CORVANE_BENCH_ARCHS   the bitnesses to measure the walk in (default: x64, and x86
#                         where 32-bit programs run natively)
#   CORVANE_BENCH_EARLIER another Corvane.dll (x64) measured in the same rounds,
#                         for a figure before and after a change
#   CORVANE_BENCH_WALK_ONLY=1 skips the content identity of the 1 GiB files
#   CORVANE_BENCH_ROUNDS  rounds of the walk (default 3)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
here="$root/bench/corvane"
source "$root/tools/winenv.sh"
suite_wine_up
work="$root/build/bench/corvane"
mkdir -p "$work"

now() { date +%s.%N; }
seconds() { python3 -c "import sys; print('%.3f' % (float(sys.argv[2]) - float(sys.argv[1])))" "$1" "$2"; }
# min <current best or empty> <candidate>
min() { if [ -z "$1" ]; then echo "$2"; else python3 -c "import sys; print(min(sys.argv[1:], key=float))" "$1" "$2"; fi; }
arch_of_vbs=x64
vbs() { local script="$1"; shift; "$WINE" "$(suite_cscript $arch_of_vbs)" //nologo "$(suite_winpath "$here/$script")" "$@" </dev/null | tr -d '\r'; }

tree="$work/tree"
if [ ! -f "$work/tree.done" ]; then
  rm -rf "$tree"
  python3 "$here/make_tree.py" "$tree" >/dev/null
  touch "$work/tree.done"
fi
wintree="$(suite_winpath "$tree")"
echo "tree: $(find "$tree" -type f | wc -l) files, $(find "$tree" -mindepth 1 -type d | wc -l) folders"
# du counts the folders' own sizes too; the file bytes alone for comparison:
file_bytes="$(find "$tree" -type f -printf '%s\n' | awk '{s += $1} END {print s}')"
echo "file bytes (find): $file_bytes"
# The walk under each bitness's cscript (the 32-bit one loads the x86 DLL),
# beside the scripting runtime's walk under the same cscript.
for arch in ${CORVANE_BENCH_ARCHS:-$(suite_bench_arches)}; do
  arch_of_vbs=$arch
  build=win64; [ $arch = x86 ] && build=win32
  "$WINE" "$(suite_regsvr32 $arch)" /s "$(suite_winpath "$root/dist/$arch/Corvane.dll")"
  bare="$root/build/$build/bench/corvane/corvane_bare_walk.exe"
  # One untimed walk first, so that every contender finds the folders, the
  # file records and their attributes in the caches.
  du -sb --apparent-size "$tree" >/dev/null
  vbs size_walk.vbs "$wintree" >/dev/null
  earlier="${CORVANE_BENCH_EARLIER:-}"
  [ "$arch" = x64 ] || earlier=""
  du_best="" corvane_best="" bare_best="" script_best="" earlier_best=""
  for round in $(seq "${CORVANE_BENCH_ROUNDS:-3}"); do
    if [ -n "$earlier" ]; then
      "$WINE" "$(suite_regsvr32 $arch)" /s "$(suite_winpath "$earlier")"
      read -r _ earlier_bytes took <<<"$(vbs size_walk.vbs "$wintree")"
      earlier_best="$(min "$earlier_best" "$took")"
      "$WINE" "$(suite_regsvr32 $arch)" /s "$(suite_winpath "$root/dist/$arch/Corvane.dll")"
    fi
    start=$(now); du_line="$(du -sb --apparent-size "$tree")"; end=$(now)
    du_best="$(min "$du_best" "$(seconds "$start" "$end")")"
    read -r _ corvane_bytes took <<<"$(vbs size_walk.vbs "$wintree")"
    corvane_best="$(min "$corvane_best" "$took")"
    read -r _ bare_bytes took <<<"$("$WINE" "$bare" "$wintree" </dev/null | tr -d '\r')"
    bare_best="$(min "$bare_best" "$took")"
    read -r _ script_bytes took <<<"$(vbs script_walk.vbs "$wintree")"
    script_best="$(min "$script_best" "$took")"
  done
  du_bytes="$(cut -f1 <<<"$du_line")"
  echo
  printf '%-46s %10s %14s\n' "folder size of the tree, $arch (best of ${CORVANE_BENCH_ROUNDS:-3})" "seconds" "bytes"
  printf '%-46s %10s %14s\n' "du -sb --apparent-size (native)" "$du_best" "$du_bytes"
  printf '%-46s %10s %14s\n' "FolderOrFileSize from VBScript ($arch)" "$corvane_best" "$corvane_bytes"
  [ -z "$earlier" ] || printf '%-46s %10s %14s\n' "FolderOrFileSize, earlier DLL ($arch)" "$earlier_best" "$earlier_bytes"
  printf '%-46s %10s %14s\n' "bare FindFirstFileA walk in C++ ($arch)" "$bare_best" "$bare_bytes"
  printf '%-46s %10s %14s\n' "FSO walk in VBScript ($arch)" "$script_best" "$script_bytes"
  python3 - "$du_best" "$corvane_best" "$script_best" "$arch" "$bare_best" "$earlier_best" <<'PY'
import sys
du, corvane, script = map(float, sys.argv[1:4])
bare = float(sys.argv[5])
print("FolderOrFileSize %s: %.1fx faster than the script walk, %.2fx the time of du, %.2fx the bare walk"
      % (sys.argv[4], script / corvane, corvane / du, corvane / bare))
if sys.argv[6]:
    print("earlier DLL %s: %.2fx the bare walk" % (sys.argv[4], float(sys.argv[6]) / bare))
PY
done
arch_of_vbs=x64
[ "${CORVANE_BENCH_WALK_ONLY:-}" = 1 ] && exit 0

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

cmp_best="" same_best="" differ_best=""
for round in 1 2 3; do
  start=$(now); cmp "$one" "$two"; end=$(now)
  cmp_best="$(min "$cmp_best" "$(seconds "$start" "$end")")"
  read -r _ same_answer took <<<"$(vbs identify.vbs "$(suite_winpath "$one")" "$(suite_winpath "$two")")"
  same_best="$(min "$same_best" "$took")"
  read -r _ differ_answer took <<<"$(vbs identify.vbs "$(suite_winpath "$one")" "$(suite_winpath "$first")")"
  differ_best="$(min "$differ_best" "$took")"
done
echo
printf '%-46s %10s %8s\n' "content of two 1 GiB files (best of 3 rounds)" "seconds" "answer"
printf '%-46s %10s %8s\n' "cmp (native)" "$cmp_best" "same"
printf '%-46s %10s %8s\n' "FileIdentify from VBScript (Wine)" "$same_best" "$same_answer"
printf '%-46s %10s %8s\n' "FileIdentify, first byte differs (Wine)" "$differ_best" "$differ_answer"

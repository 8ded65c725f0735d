#!/bin/bash
# The main command: installs what is missing, builds the suite for x64 and x86,
# registers both halves in the private Wine prefix (the x64 DLLs with
# system32's regsvr32, the x86 DLLs with syswow64's) and runs the
# demonstration from the 64-bit and from the 32-bit cscript. Where this
# machine runs no 32-bit programs (tools/x86-probe), the x86 half is built
# only, and the script says why.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
step="starting"
trap 'echo "run.sh: failed while $step (exit status $?)" >&2' ERR
step="installing the build tools (tools/bootstrap.sh)"
tools/bootstrap.sh
step="building (tools/build.sh)"
tools/build.sh
step="probing what this machine does with 32-bit programs (tools/x86-probe)"
x86="$(tools/x86-probe)"
arches="x64"
case "${x86%%:*}" in
  native) arches="x64 x86" ;;
  emulated) arches="x64 x86"
    echo "== x86: $x86"
    echo "== the x86 steps below (prefix, registration, demo) run through emulation and take several minutes" ;;
  none) echo "== x86: $x86"
    echo "== the x86 DLLs are built (dist/x86) but neither registered nor demonstrated here" ;;
esac
step="setting up the Wine prefix (tools/winenv.sh)"
source tools/winenv.sh
suite_wine_up
trap suite_wine_down EXIT
for arch in $arches; do
  echo "== registering the $arch DLLs"
  # Wine's regsvr32 takes several DLLs at once: one process per bitness.
  dlls=()
  for dll in dist/$arch/*.dll; do dlls+=("$(suite_winpath "$dll")"); done
  step="registering ${dlls[*]} with $(suite_regsvr32 $arch)"
  "$WINE" "$(suite_regsvr32 $arch)" /s "${dlls[@]}"
  printf 'registered %s\n' "${dlls[@]}"
done
for arch in $arches; do
  echo "== demo (examples/demo.vbs) from the $arch cscript"
  step="running examples/demo.vbs under $(suite_cscript $arch)"
  out="$("$WINE" "$(suite_cscript $arch)" //nologo "$(suite_winpath examples/demo.vbs)" </dev/null | tr -d '\r')"
  echo "$out"
  # cscript ends quietly with status 0 when a script stops on an error: the
  # demo's last line tells that it ran to its end.
  grep -q '^Demo finished' <<<"$out" || { echo "run.sh: the demo did not run to its end under $(suite_cscript $arch)" >&2; exit 1; }
done
[ "$arches" = x64 ] && echo "== no x86 demo: $x86"
for hook in examples/demo-*.sh; do
  step="running $hook"
  [ -x "$hook" ] && "$hook"
done
echo "== done; the DLLs are in dist/x64 and dist/x86"
exit 0

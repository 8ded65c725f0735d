#!/bin/bash
# The main command: installs what is missing, builds the suite for x64 and x86,
# registers both halves in the private Wine prefix (the x64 DLLs with
# system32's regsvr32, the x86 DLLs with syswow64's) and runs the
# demonstration from the 64-bit and from the 32-bit cscript.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
step="starting"
trap 'echo "run.sh: failed while $step (exit status $?)" >&2' ERR
step="installing the build tools (tools/bootstrap.sh)"
tools/bootstrap.sh
step="building (tools/build.sh)"
tools/build.sh
step="setting up the Wine prefix (tools/winenv.sh)"
source tools/winenv.sh
suite_wine_up
trap suite_wine_down EXIT
for arch in x64 x86; do
  echo "== registering the $arch DLLs"
  for dll in dist/$arch/*.dll; do
    step="registering $dll with $(suite_regsvr32 $arch)"
    "$WINE" "$(suite_regsvr32 $arch)" /s "$(suite_winpath "$dll")"
    echo "registered $(suite_winpath "$dll")"
  done
done
for arch in x64 x86; do
  echo "== demo (examples/demo.vbs) from the $arch cscript"
  step="running examples/demo.vbs under $(suite_cscript $arch)"
  out="$("$WINE" "$(suite_cscript $arch)" //nologo "$(suite_winpath examples/demo.vbs)" </dev/null | tr -d '\r')"
  echo "$out"
  # cscript ends quietly with status 0 when a script stops on an error: the
  # demo's last line tells that it ran to its end.
  grep -q '^Demo finished' <<<"$out" || { echo "run.sh: the demo did not run to its end under $(suite_cscript $arch)" >&2; exit 1; }
done
for hook in examples/demo-*.sh; do
  step="running $hook"
  [ -x "$hook" ] && "$hook"
done
echo "== done; the DLLs are in dist/x64 and dist/x86"

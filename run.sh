#!/bin/bash
# The main command: installs what is missing, builds the suite for x64 and x86,
# registers the x64 DLLs in the private Wine prefix with regsvr32, and runs the
# demonstration script through cscript.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
tools/bootstrap.sh
tools/build.sh
source tools/winenv.sh
suite_wine_up
trap suite_wine_down EXIT
echo "== registering"
for dll in dist/x64/*.dll; do
  "$WINE" regsvr32 /s "$(suite_winpath "$dll")"
  echo "registered $(suite_winpath "$dll")"
done
echo "== demo (examples/demo.vbs)"
"$WINE" cscript //nologo "$(suite_winpath examples/demo.vbs)" </dev/null
for hook in examples/demo-*.sh; do
  [ -x "$hook" ] && "$hook"
done
echo "== done; the DLLs are in dist/x64 and dist/x86"

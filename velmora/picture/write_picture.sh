#!/bin/bash
# Writes a PNG of a 400 x 300 gradient at 315 degrees, painted by Velmora's
# ClassForGradient.Draw under Wine, to the path given (after tools/build.sh).
#   velmora/picture/write_picture.sh <output.png>
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(realpath -m "$1")"
source "$root/tools/winenv.sh"
suite_wine_up
"$WINE" "$root/build/win64/velmora/picture/gradient_picture.exe" "$(suite_winpath "$out")" </dev/null
[ -s "$out" ]

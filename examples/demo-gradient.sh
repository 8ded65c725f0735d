#!/bin/bash
# Part of the main command: writes the gradient picture that Velmora's
# ClassForGradient.Draw paints (400 x 300 at 315 degrees).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/dist/gradient-315.png"
"$root/velmora/picture/write_picture.sh" "$out"
echo "wrote $out (ClassForGradient.Draw, 400 x 300, Angle 315)"

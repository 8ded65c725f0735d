#!/bin/bash
# Draw on 1920 x 1080 beside the platform's GradientFill, under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/tools/wine-run" "$root/build/win64/bench/velmora/gradient_bench.exe"

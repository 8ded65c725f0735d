#!/bin/bash
# Runs every benchmark (bench/*/run.sh) after building, and prints their
# tables: each figure beside its anchor measured in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/bootstrap.sh
tools/build.sh >/dev/null
source tools/winenv.sh
suite_wine_up
for part in lirrow velmora tarsen corvane; do
  if [ -x "bench/$part/run.sh" ]; then
    echo "== $part"
    "bench/$part/run.sh"
  fi
done

#!/usr/bin/env bash
# Sets up, builds and runs the demonstrations on bundled data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for part in scripts/demo/*.sh; do
  [ -e "$part" ] || continue
  bash "$part"
done

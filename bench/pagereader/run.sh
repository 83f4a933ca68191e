#!/usr/bin/env bash
# Renders the screenshot-like set, then runs pagereader and the tesseract tool (same three
# languages) over it and prints character error rate, line recall and median time per image.
#
#   bench/pagereader/run.sh [build-dir] [--repeat N] [--details]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
shift || true

cmake --build "$build" --target pagereader pagereader_render_set pagereader_bench >/dev/null
set_dir="$build/bench/pagereader/set"
rm -rf "$set_dir"
XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)} "$build/bin/pagereader_render_set" bench "$set_dir"
echo "Set: $(($(wc -l <"$set_dir/manifest.tsv") - 1)) images in $set_dir"
"$build/bin/pagereader_bench" "$set_dir" "tsv:tesseract:$(command -v tesseract)" \
  "json:pagereader:$build/bin/pagereader" "$@"

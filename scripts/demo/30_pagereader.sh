#!/usr/bin/env bash
# pagereader on the bundled sample, a dialog with Chinese and English lines, then with a scale
# and on a file that is no image.
set -euo pipefail
cd "$(dirname "$0")/../.."

sample=pagereader/samples/sample_dialog.png
echo "== pagereader --image $sample"
build/bin/pagereader --image "$sample"
echo "== pagereader --image $sample --scale 2"
build/bin/pagereader --image "$sample" --scale 2
echo "== pagereader --image README.md (exit status 1 expected)"
status=0
build/bin/pagereader --image README.md || status=$?
echo "exit status $status"

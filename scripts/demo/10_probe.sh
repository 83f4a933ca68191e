#!/usr/bin/env bash
# The probe against the launchd stand-in: its JSON line for an empty root, for a request whose
# installer job does not exist, and for a request whose job runs.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD_DIR:-build}
bin=$(cd "$build/bin" && pwd)

work=$(mktemp -d /tmp/iw-probe-demo-XXXXXX)
job_pid=''
cleanup() {
  [ -n "$job_pid" ] && kill -9 "$job_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

root=$work/root
app='/Applications/Quorvelin Pro.app'
label=com.example.quorvelin.ShipIt
target="gui/$(id -u)/$label"
export LAUNCHD_STANDIN_DIR=$work/launchd
mkdir -p "$root" "$LAUNCHD_STANDIN_DIR"

probe() {
  printf '%-28s ' "$1"
  "$bin/installwarden-test" --probe "$root" "$app" 1.0
}

echo "== probe: is an update under way? =="
probe "empty root:"

cat >"$root/request.json" <<JSON
{"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","appPath":"$app","sourceVersion":"1.0",
 "version":"2.0","ownerPid":0,"jobLabel":"$label","logPath":"$work/ShipIt.log",
 "logOffset":0,"messages":{}}
JSON
probe "request, no installer job:"

job=$LAUNCHD_STANDIN_DIR/$target
mkdir -p "$job"
printf '\tprogram = %s/Contents/Frameworks/Squirrel.framework/Resources/ShipIt\n' "$app" \
  >"$job/description"
printf 'sleep\n300\n' >"$job/command"
"$bin/fake-launchctl" kickstart "$target"
job_pid=$(cat "$job/pid")
probe "request, installer running:"

#!/usr/bin/env bash
# A simulated update with the stand-ins, from "preparing" to "complete": the host writes its
# request and quits, the installer first finds the application still running and is restarted,
# installs the new version, and the relaunched application reports a good start. One line per
# change of status.json; then the window's two states as PNGs in build/screenshots/.
set -euo pipefail
script=$(realpath "$0")
cd "$(dirname "$script")/../.."
build=${BUILD_DIR:-build}
bin=$(cd "$build/bin" && pwd)

# The installer runs are started detached, as launchd would; a reaper keeps them from lingering
# as zombies where the init process does not reap.
if [ -z "${IW_DEMO_UNDER_REAPER:-}" ]; then
  IW_DEMO_UNDER_REAPER=1 exec "$bin/fake-host" reap -- bash "$script" "$@"
fi

work=$(mktemp -d /tmp/iw-demo-XXXXXX)
owner='' assistant=''
cleanup() {
  for pid in $assistant $owner; do { kill -9 "$pid" && wait "$pid"; } 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

declare -A scene
while IFS='=' read -r key value; do scene[$key]=$value; done < <(
  "$bin/fake-host" scene "$work" --installer "$bin/fake-installer" \
    --runs $'still-running 2\ninstall 1' --receipt ok)
root=${scene[root]}

field() { sed -n "s/.*\"$1\":\"\{0,1\}\([^,\"}]*\).*/\1/p" <<<"$2"; }

last=''
# Prints status.json whenever the fields a person follows change; returns once the phase is $1.
await_phase() {
  local want=$1 deadline=$((SECONDS + $2)) json line
  while ((SECONDS < deadline)); do
    json=$(cat "$root/status.json" 2>/dev/null || true)
    if [ -n "$json" ]; then
      line="phase=$(field phase "$json") visible=$(field visible "$json")"
      line+=" retries=$(field retries "$json") logPosition=$(field logPosition "$json")"
      if [ "$line" != "$last" ]; then
        echo "  status.json: $line"
        last=$line
      fi
      [ "$(field phase "$json")" = "$want" ] && return 0
    fi
    sleep 0.05
  done
  echo "demo: no phase \"$want\" within $2 s; status.json: ${json:-none}" >&2
  cat "$work/assistant.err" >&2
  exit 1
}

echo "== installwarden: a simulated update of Quorvelin Pro ${scene[version]}"
"${scene[executable]}" stay --until "$work/quit-owner" &
owner=$!
"$bin/fake-host" request "$work" --owner-pid "$owner"
"$bin/fake-host" start-job "$work" --wait-for-pid "$owner" >/dev/null
echo "host: request.json written (owner pid $owner), installer job started"

env -u DISPLAY -u WAYLAND_DISPLAY LAUNCHD_STANDIN_DIR="${scene[launchd]}" \
  "$bin/installwarden-test" "$root" 2>"$work/assistant.err" &
assistant=$!
await_phase preparing 10

echo "host: command \"closing\""
"$bin/fake-host" command "$work" --phase closing --sequence 1
await_phase closing 5

echo "host: quits"
touch "$work/quit-owner"
wait "$owner" || true
owner=''
await_phase installing 5
echo "installer: its first run logs \"App Still Running Error\"; the assistant kickstarts it once"
await_phase starting 20

installed=$(sed -n '/CFBundleShortVersionString/{n;s/.*<string>\(.*\)<\/string>.*/\1/p}' \
  "${scene[app]}/Contents/Info.plist")
echo "application: relaunched at version $installed, reports a good start"
"${scene[executable]}"
await_phase complete 5

status=0
wait "$assistant" || status=$?
assistant=''
echo "assistant: ended with exit status $status; launchd stand-in saw $(grep -c '^kickstart ' "${scene[launchd]}/calls.log" || true) kickstart(s)"
if [ "$status" -ne 0 ]; then
  cat "$work/assistant.err" >&2
  exit 1
fi

if ! "$bin/window-screenshot" "$build/screenshots" >"$work/screenshots" 2>&1; then
  cat "$work/screenshots" >&2
  exit 1
fi
grep '\.png$' "$work/screenshots" | sed 's/^/screenshot: /'

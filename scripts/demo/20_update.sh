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
  [ -n "$owner" ] && { kill -9 "$owner" && wait "$owner"; } 2>/dev/null || true
  [ -n "$assistant" ] && kill -9 "$assistant" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

declare -A scene
while IFS='=' read -r key value; do scene[$key]=$value; done < <(
  "$bin/fake-host" scene "$work" --installer "$bin/fake-installer" \
    --runs $'still-running 2\ninstall 1' --receipt ok)

# The host's side goes through the host library (fake-host's roles): it writes the request,
# starts the assistant detached, steers it and follows status.json.
await_phase() { "$bin/fake-host" await "$work" --phase "$1" --timeout "$2"; }

echo "== installwarden: a simulated update of Quorvelin Pro ${scene[version]}"
"${scene[executable]}" stay --until "$work/quit-owner" &
owner=$!
"$bin/fake-host" request "$work" --owner-pid "$owner"
"$bin/fake-host" start-job "$work" --wait-for-pid "$owner" >/dev/null
echo "host: request.json written (owner pid $owner), installer job started"

# Headless: with no display the assistant picks the offscreen platform itself.
assistant=$(env -u DISPLAY -u WAYLAND_DISPLAY LAUNCHD_STANDIN_DIR="${scene[launchd]}" \
  "$bin/fake-host" start-assistant "$work" --program "$bin/installwarden-test")
echo "host: assistant started detached (pid $assistant)"
await_phase preparing 10

echo "host: command \"closing\""
"$bin/fake-host" command "$work" --phase closing
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
assistant=''
echo "assistant: ended; launchd stand-in saw $(grep -c '^kickstart ' "${scene[launchd]}/calls.log" || true) kickstart(s)"

if ! "$bin/window-screenshot" "$build/screenshots" >"$work/screenshots" 2>&1; then
  cat "$work/screenshots" >&2
  exit 1
fi
grep '\.png$' "$work/screenshots" | sed 's/^/screenshot: /'

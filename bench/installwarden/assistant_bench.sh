#!/usr/bin/env bash
# The assistant's steady state, measured on the running test build with the stand-ins: CPU time
# per tick while it waits for a live owner (window hidden, then shown), and per monitor tick
# while the installer job runs, then its peak memory. Ticks are counted as replacements of
# status.json (one per tick). The CPU between ticks (the window's busy indicator) counts too.
# Own CPU comes from the per-thread schedstat (nanoseconds) and, coarser, utime+stime; the
# launchctl runs it waits for show up as its children's CPU (cutime+cstime).
# Usage: assistant_bench.sh <installwarden-test> <fake-host> <fake-installer> [seconds per situation]
set -euo pipefail
assistant_bin=$1
host=$2
installer=$3
seconds=${4:-${ASSISTANT_BENCH_SECONDS:-20}}

# Installer runs are started detached; reap them rather than leave zombies behind.
if [ -z "${IW_BENCH_UNDER_REAPER:-}" ]; then
  IW_BENCH_UNDER_REAPER=1 exec "$host" reap -- bash "$0" "$@"
fi

work=$(mktemp -d /tmp/iw-bench-XXXXXX)
owner='' assistant=''
cleanup() {
  for pid in $assistant $owner; do { kill -9 "$pid" && wait "$pid"; } 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

declare -A scene
while IFS='=' read -r key value; do scene[$key]=$value; done < <(
  "$host" scene "$work" --installer "$installer" --runs 'install 3600')
root=${scene[root]}
clk_tck=$(getconf CLK_TCK)

phase_now() { sed -n 's/.*"phase":"\([^"]*\)".*/\1/p' "$root/status.json" 2>/dev/null || true; }

await_phase() {
  local deadline=$((SECONDS + 10))
  until [ "$(phase_now)" = "$1" ]; do
    if ((SECONDS >= deadline)); then
      echo "assistant_bench: no phase \"$1\"; $(cat "$work/assistant.err")" >&2
      exit 1
    fi
    sleep 0.05
  done
}

# Nanoseconds on the CPU, summed over the assistant's threads.
own_ns() { cat /proc/"$assistant"/task/*/schedstat | awk '{ sum += $1 } END { printf "%d", sum }'; }
# utime+stime and cutime+cstime, in clock ticks (fields after the command name).
stat_ticks() { sed 's/.*) //' /proc/"$assistant"/stat | awk -v f="$1" '{ print $(f - 2) + $(f - 1) }'; }

measure() {
  local name=$1 ns0 own0 child0 inode last='' ticks=0 start end
  ns0=$(own_ns) own0=$(stat_ticks 14) child0=$(stat_ticks 16)
  start=$(date +%s%N)
  end=$((start + seconds * 1000000000))
  while (($(date +%s%N) < end)); do
    inode=$(stat -c %i "$root/status.json" 2>/dev/null || echo none)
    if [ "$inode" != "$last" ]; then
      [ -n "$last" ] && ticks=$((ticks + 1))
      last=$inode
    fi
    sleep 0.05
  done
  local ns=$(($(own_ns) - ns0)) own=$(($(stat_ticks 14) - own0))
  local child=$(($(stat_ticks 16) - child0))
  ((ticks > 0)) || ticks=$((seconds * 2))
  awk -v name="$name" -v t="$ticks" -v ns="$ns" -v own="$own" -v child="$child" -v hz="$clk_tck" \
    'BEGIN { printf "%-34s %6d %14.1f %16.2f %20.2f\n", name, t, ns / t / 1000,
             own * 1000 / hz / t, child * 1000 / hz / t }'
}

"${scene[executable]}" stay --until "$work/quit-owner" &
owner=$!
"$host" request "$work" --owner-pid "$owner"
"$host" start-job "$work" --wait-for-pid "$owner" >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY LAUNCHD_STANDIN_DIR="${scene[launchd]}" \
  "$assistant_bin" "$root" 2>"$work/assistant.err" &
assistant=$!

echo "assistant steady state, $seconds s per situation, tick every 0.5 s"
printf '%-34s %6s %14s %16s %20s\n' situation ticks "own µs/tick" "own ms/tick" \
  "launchctl ms/tick"
printf '%-34s %6s %14s %16s %20s\n' "" "" "(schedstat)" "(utime+stime)" "(cutime+cstime)"

await_phase preparing
sleep 1  # start-up (toolkit, fonts) is not steady state
measure "owner alive, window hidden"

# The same wait with the window on screen: its busy indicator animates between ticks.
"$host" command "$work" --phase closing
await_phase closing
sleep 1
measure "owner alive, window shown"

touch "$work/quit-owner"
wait "$owner" || true
owner=''
await_phase installing
sleep 1
measure "monitor, job running, window shown"
[ "$(phase_now)" = installing ] || { echo "assistant_bench: left \"installing\"" >&2; exit 1; }

grep -E '^Vm(HWM|RSS):' /proc/"$assistant"/status | awk '{ printf "%s %s %s\n", $1, $2, $3 }'

"$host" command "$work" --phase cancelled
wait "$assistant" || true
assistant=''

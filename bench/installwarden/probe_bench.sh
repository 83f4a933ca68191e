#!/usr/bin/env bash
# Times the probe as a whole process, with no request and with a request whose installer job
# runs under the launchd stand-in, against a trivial process, all in one hyperfine run, and
# prints each probe's time as a multiple of the trivial process's.
# Usage: probe_bench.sh <installwarden-test> <fake-launchctl>
set -euo pipefail
probe=$1
standin=$2
runs=${PROBE_BENCH_RUNS:-300}

work=$(mktemp -d)
job_pid=
cleanup() {
  [ -n "$job_pid" ] && kill "$job_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

label=com.example.bench.ShipIt
app=/Apps/Bench.app
mkdir -p "$work/empty" "$work/busy" "$work/launchd/gui/$(id -u)/$label"
job="$work/launchd/gui/$(id -u)/$label"
cat >"$work/busy/request.json" <<JSON
{"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","appPath":"$app","sourceVersion":"1.0",
 "version":"2.0","ownerPid":0,"jobLabel":"$label","logPath":"/nonexistent",
 "logOffset":0,"messages":{}}
JSON
printf '\tprogram = %s/Contents/Frameworks/Squirrel.framework/Resources/ShipIt\n' "$app" \
  >"$job/description"
printf 'sleep\n600\n' >"$job/command"
export LAUNCHD_STANDIN_DIR="$work/launchd"
"$standin" kickstart "gui/$(id -u)/$label"
job_pid=$(cat "$job/pid")

# The scenarios must answer as intended, or the timing means nothing.
expected_busy='{"active":true,"block":true,"resume":true,"occupied":false}'
[ "$("$probe" --probe "$work/busy" "$app" 1.0)" = "$expected_busy" ] || {
  echo "probe with a running job did not see it" >&2
  exit 1
}

hyperfine --shell=none --warmup 20 --runs "$runs" --style basic \
  --export-json "$work/result.json" \
  -n trivial /bin/true \
  -n "probe, no request" "$probe --probe $work/empty $app 1.0" \
  -n "probe, job running" "$probe --probe $work/busy $app 1.0"

python3 - "$work/result.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
# On a shared machine the minimum is the least disturbed figure; mean and median follow.
base = {key: results[0][key] for key in ("min", "median", "mean")}
print()
print(f'{"":<20} {"min ms":>7} {"median ms":>10} {"mean ms":>8}   x trivial: min median mean')
for r in results:
    ratios = "  ".join(f'{r[key] / base[key]:5.2f}' for key in ("min", "median", "mean"))
    print(f'{r["command"]:<20} {r["min"] * 1000:7.3f} {r["median"] * 1000:10.3f} '
          f'{r["mean"] * 1000:8.3f}              {ratios}')
PY

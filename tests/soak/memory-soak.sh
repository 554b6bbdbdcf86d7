#!/usr/bin/env bash
# A day of the tray program at one poll a second (480 polls, one new announcement each) against the portal
# simulator: once what it keeps is full, resident memory may not grow by more than LIMIT_KIB.
# Usage (inside tests/shell/run-with-display.sh): tests/soak/memory-soak.sh BUILD_DIR [POLLS] [LIMIT_KIB]
set -euo pipefail
build=$1
polls=${2:-480}
limit=${3:-256}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null; rm -rf "$work"' EXIT

"$build/tools/zelvora-portal-sim" --port 0 --new-every 1 >"$work/sim.log" 2>&1 &
for _ in $(seq 50); do grep -q "listening on" "$work/sim.log" && break; sleep 0.1; done
origin=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/sim.log" | head -1)
sleep 3600 | "$build/tools/zelvora-test-notifyd" >"$work/notifications" 2>/dev/null &

mkdir -p "$work/config/zelvora"
echo '{"pollInterval": 1, "notificationsDontAsk": true}' >"$work/config/zelvora/settings.json"
echo '{"notificationAuthorization": "authorized"}' >"$work/config/zelvora/ui-state.json"
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" DO_NOT_TRACK=1 ZELVORA_MIN_POLL_INTERVAL=1 \
  ZELVORA_APPCAST_URL="$origin/appcast.xml" "$build/src/zelvora" --portal "$origin" >"$work/zelvora.log" 2>&1 &
pid=$!

rss() { awk '$1 == "Rss:" {print $2}' "/proc/$pid/smaps_rollup"; }
# The kept list of 500 is full after about 100 polls, the 256 tracked notifications after about 260.
baseline=300
sleep $baseline
kill -0 $pid
start=$(rss)
sleep $((polls - baseline))
kill -0 $pid
end=$(rss)
notified=$(wc -l <"$work/notifications")
growth=$((end - start))
echo "memory soak: $polls polls, $notified notified, resident $start KiB after $baseline polls, $end KiB at the end ($growth KiB)"
if [ "$growth" -gt "$limit" ]; then
  echo "memory soak: resident memory grew by $growth KiB (more than $limit KiB) after $baseline polls" >&2
  exit 1
fi

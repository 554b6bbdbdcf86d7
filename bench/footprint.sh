#!/usr/bin/env bash
# Footprint of the tray program next to a bare Qt tray program with a 20-item menu, on a private X
# display with a tray host: resident memory once idle, time from start until the tray icon is up,
# CPU while idle between polls, and memory after opening and closing 20 announcement windows.
# Usage: bench/footprint.sh BUILD_DIR [IDLE_SECONDS]   (run inside tests/shell/run-with-display.sh)
set -euo pipefail
build=${1:-build/default}
idle=${2:-600}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/tools/zelvora-portal-sim" --port 0 >"$work/sim.log" 2>&1 &
for _ in $(seq 50); do grep -q "listening on" "$work/sim.log" && break; sleep 0.1; done
origin=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/sim.log" | head -1)

rss() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
wait_for_icon() { # seconds from now until a window with this name exists
  local start end; start=$(date +%s.%N)
  for _ in $(seq 300); do xwininfo -name "$1" >/dev/null 2>&1 && break; sleep 0.02; done
  end=$(date +%s.%N); echo "$end - $start" | bc
}

mkdir -p "$work/config/zelvora"
echo '{"notificationsDontAsk": true}' >"$work/config/zelvora/settings.json"
start=$(date +%s.%N)
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" DO_NOT_TRACK=1 ZELVORA_PORTAL_ORIGIN="$origin" \
  "$build/src/zelvora" >"$work/zelvora.log" 2>&1 &
zpid=$!
for _ in $(seq 300); do xwininfo -name Zelvora >/dev/null 2>&1 && break; sleep 0.02; done
zready=$(echo "$(date +%s.%N) - $start" | bc)
for _ in $(seq 300); do [ -f "$work/data/Quvex/announcements_cache.json" ] && break; sleep 0.1; done
sleep 5
zrss=$(rss $zpid)

start=$(date +%s.%N)
"$build/bench/bare_tray" >/dev/null 2>&1 &
bpid=$!
for _ in $(seq 300); do xwininfo -name bare_tray >/dev/null 2>&1 && break; sleep 0.02; done
bready=$(echo "$(date +%s.%N) - $start" | bc)
sleep 5
brss=$(rss $bpid)

printf 'resident memory after the first poll: zelvora %s KiB, bare tray %s KiB, ratio %.2f\n' \
  "$zrss" "$brss" "$(echo "$zrss / $brss" | bc -l)"
printf 'start until the tray icon is up: zelvora %.3f s, bare tray %.3f s, ratio %.2f\n' \
  "$zready" "$bready" "$(echo "$zready / $bready" | bc -l)"

hz=$(getconf CLK_TCK)
t0=$(cpu_ticks $zpid)
sleep "$idle"
t1=$(cpu_ticks $zpid)
printf 'CPU while idle for %s s (polls every 180 s): %.3f %%\n' "$idle" \
  "$(echo "($t1 - $t0) / $hz / $idle * 100" | bc -l)"
kill $zpid; wait $zpid 2>/dev/null || true

#!/usr/bin/env bash
# Footprint of the tray program next to a bare Qt tray program with a 20-item menu, measured in the
# same run on a private X display with a tray host: start until the tray icon is up (wall and CPU
# time), resident and private dirty memory once idle after the first poll, wake-ups over an idle
# minute between polls, CPU while idle, the process tree's memory as announcement windows are
# opened and closed, and the CPU of a full first poll next to a bare JSON parse of the same pages. A
# second yardstick for memory is the bare tray program that first makes one HTTPS request through the
# same libcurl (to an openssl s_server on loopback, verified against the system's CA bundle and the
# server's own certificate).
# Usage: bench/footprint.sh BUILD_DIR [IDLE_SECONDS]   (run inside tests/shell/run-with-display.sh)
set -euo pipefail
build=${1:-build/default}
idle=${2:-600}
starts=${FOOTPRINT_STARTS:-5}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null; rm -rf "$work"' EXIT

"$build/tools/zelvora-portal-sim" --port 0 >"$work/sim.log" 2>&1 &
for _ in $(seq 50); do grep -q "listening on" "$work/sim.log" && break; sleep 0.1; done
origin=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/sim.log" | head -1)

# The HTTPS yardstick's server: a certificate for 127.0.0.1, trusted beside the system's bundle.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 \
  -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
cat /etc/ssl/certs/ca-certificates.crt "$work/cert.pem" >"$work/bundle.pem"
https_port=$((20000 + RANDOM % 20000))
openssl s_server -quiet -accept "$https_port" -cert "$work/cert.pem" -key "$work/key.pem" -www >/dev/null 2>&1 &
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$https_port") 2>/dev/null && break; sleep 0.1; done

rollup() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/smaps_rollup"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Times any thread of the process was scheduled in: each is a wake-up.
wakeups() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{sum += $3} END {print sum}'; }
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() {
  if [ "$(echo "$2 > 0" | bc -l)" = 1 ]; then echo "scale=2; ($1) / ($2)" | bc -l | sed 's/^\./0./'; else echo "-"; fi
}
row() { printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$(ratio "$4" "$5")"; }

zelvora() {
  rm -rf "$work/config" "$work/data"
  mkdir -p "$work/config/zelvora"
  echo '{"notificationsDontAsk": true}' >"$work/config/zelvora/settings.json"
  XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" DO_NOT_TRACK=1 ZELVORA_PORTAL_ORIGIN="$origin" \
    ZELVORA_APPCAST_URL="$origin/appcast.xml" "$build/src/zelvora" >"$work/zelvora.log" 2>&1 &
}
bare() { "$build/bench/bare_tray" >/dev/null 2>&1 & }
bare_https() { "$build/bench/bare_tray_https" "https://127.0.0.1:$https_port/" "$work/bundle.pem" >/dev/null 2>&1 & }

# CPU seconds all threads of the process have run so far.
cpu_seconds() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{sum += $1} END {print sum / 1e9}'; }

# Starts program $1 (a function), waits for the window named $2; appends the seconds it took to
# file $3 and the CPU seconds the program used until then to file $4. On a busy machine the wall
# time mostly measures waiting for a core; the CPU time hardly changes.
timed_start() {
  local start pid
  start=$(date +%s.%N)
  "$1"
  pid=$!
  for _ in $(seq 2000); do xwininfo -name "$2" >/dev/null 2>&1 && break; done
  echo "$(date +%s.%N) - $start" | bc >>"$3"
  cpu_seconds $pid >>"$4"
  kill $pid
  wait $pid 2>/dev/null || true
}

# Start until the icon is up, alternating the two programs; medians of $starts runs.
for _ in $(seq "$starts"); do
  timed_start zelvora Zelvora "$work/zstart" "$work/zstartcpu"
  timed_start bare bare_tray "$work/bstart" "$work/bstartcpu"
done
zstart=$(median <"$work/zstart") zstartcpu=$(median <"$work/zstartcpu")
bstart=$(median <"$work/bstart") bstartcpu=$(median <"$work/bstartcpu")

zelvora
zpid=$!
bare
bpid=$!
bare_https
hpid=$!
for _ in $(seq 300); do [ -f "$work/data/Quvex/announcements_cache.json" ] && break; sleep 0.1; done
sleep 10
kill -0 $hpid || { echo "bare_tray_https: the HTTPS request failed" >&2; exit 1; }
zrss=$(rollup $zpid Rss) brss=$(rollup $bpid Rss) hrss=$(rollup $hpid Rss)
zdirty=$(rollup $zpid Private_Dirty) bdirty=$(rollup $bpid Private_Dirty)
kill $hpid
wait $hpid 2>/dev/null || true

hz=$(getconf CLK_TCK)
zt0=$(cpu_ticks $zpid) bt0=$(cpu_ticks $bpid)
sleep 55 # past the update check a minute after start; the next poll is due at 180 s
zw0=$(wakeups $zpid) bw0=$(wakeups $bpid)
sleep 60
zw=$(($(wakeups $zpid) - zw0)) bw=$(($(wakeups $bpid) - bw0))
[ "$idle" -gt 125 ] && sleep $((idle - 115))
zcpu=$(echo "($(cpu_ticks $zpid) - $zt0) / $hz / $idle * 100" | bc -l)
bcpu=$(echo "($(cpu_ticks $bpid) - $bt0) / $hz / $idle * 100" | bc -l)
kill $zpid $bpid
wait $zpid $bpid 2>/dev/null || true

QTWEBENGINE_DISABLE_SANDBOX=${QTWEBENGINE_DISABLE_SANDBOX:-$([ "$(id -u)" = 0 ] && echo 1 || echo 0)} \
  "$build/bench/window_memory" 2>/dev/null >"$work/windows"
first=$(awk -F'[: ]+' '/after the first window/ {for (i = 1; i <= NF; i++) if ($i == "KiB") print $(i - 1)}' "$work/windows")
twenty=$(awk -F'[: ]+' '/after 20 windows/ {for (i = 1; i <= NF; i++) if ($i == "KiB") print $(i - 1)}' "$work/windows")

# CPU milliseconds of one benchmark of bench_fetch (one at a time: their CSV columns differ).
cpu_ms() {
  "$build/bench/bench_fetch" --benchmark_filter="$1" --benchmark_format=csv 2>/dev/null |
    awk -F, 'NR == 2 {print $4 / ($5 == "us" ? 1000 : 1)}'
}
for _ in 1 2 3; do
  cpu_ms 'FullFirstPoll/0' >>"$work/poll"
  cpu_ms BareQtJsonParseOfPollPages >>"$work/parse"
done
poll=$(median <"$work/poll") parse=$(median <"$work/parse")

echo '| figure | Zelvora | bare tray (or yardstick) | ratio |'
echo '|---|---|---|---|'
row "start until the tray icon is up (median of $starts)" "$(printf '%.3f s' "$zstart")" \
  "$(printf '%.3f s' "$bstart")" "$zstart" "$bstart"
row "CPU used until the tray icon is up (median of $starts)" "$(printf '%.3f s' "$zstartcpu")" \
  "$(printf '%.3f s' "$bstartcpu")" "$zstartcpu" "$bstartcpu"
row "resident memory after the first poll" "$zrss KiB" "$brss KiB" "$zrss" "$brss"
row "resident memory after the first poll (vs the bare tray after one HTTPS request)" "$zrss KiB" \
  "$hrss KiB" "$zrss" "$hrss"
row "of which written by the program itself (private dirty)" "$zdirty KiB" "$bdirty KiB" "$zdirty" "$bdirty"
row "wake-ups over an idle minute between polls" "$zw" "$bw" "$zw" "$bw"
row "CPU while idle for $idle s (polls every 180 s)" "$(printf '%.3f %%' "$zcpu")" \
  "$(printf '%.3f %%' "$bcpu")" "$zcpu" "$bcpu"
row "process tree after 20 announcement windows (vs after the first)" "$twenty KiB" "$first KiB" \
  "$twenty" "$first"
row "CPU of a full first poll (vs a bare JSON parse of its pages), medians of 3" "$poll ms" "$parse ms" "$poll" "$parse"

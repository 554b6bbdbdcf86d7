#!/usr/bin/env bash
# Runs a command on a private X display (Xvfb) with a system-tray host (trayer) and a private
# D-Bus session bus, as a desktop session would have them. Used by the end-to-end test.
set -euo pipefail

workdir=$(mktemp -d)
cleanup() {
  [ -n "${tray_pid:-}" ] && kill "$tray_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT

# -displayfd picks a free display number and reports it once the server is ready.
exec 3>"$workdir/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$workdir/display" ] && break
  sleep 0.1
done
exec 3>&-
if [ ! -s "$workdir/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '\n' <"$workdir/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

if command -v trayer >/dev/null; then
  trayer --edge top --align right --widthtype request --height 24 --transparent false >/dev/null 2>&1 &
  tray_pid=$!
fi

status=0
dbus-run-session --config-file="$(dirname "$0")/../support/session-bus.conf" -- "$@" || status=$?
exit "$status"

#!/usr/bin/env bash
# Runs a command in a Wayland session: weston's headless compositor and a private D-Bus session
# bus, with no X display, as GNOME and KDE start by default. Used by the Wayland end-to-end run.
set -euo pipefail

if ! command -v weston >/dev/null; then
  echo "weston is not installed (scripts/install-deps installs it): skipped" >&2
  exit 77
fi

runtime=$(mktemp -d)
chmod 700 "$runtime"
cleanup() {
  [ -n "${weston_pid:-}" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$runtime"
unset DISPLAY QT_QPA_PLATFORM
socket=wayland-zelvora
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --width=1280 --height=800 \
  >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 1 100); do
  [ -S "$runtime/$socket" ] && break
  sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
  echo "weston did not start:" >&2
  cat "$runtime/weston.log" >&2
  exit 1
fi
export WAYLAND_DISPLAY="$socket"

status=0
dbus-run-session --config-file="$(dirname "$0")/../support/session-bus.conf" -- "$@" || status=$?
exit "$status"

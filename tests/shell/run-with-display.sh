#!/usr/bin/env bash
# Runs a command in a desktop session of its own, with a private D-Bus session bus: an X display (Xvfb)
# with a system-tray host (trayer), or with --wayland weston's headless compositor and no X display,
# as GNOME and KDE start by default. Used by the end-to-end tests.
set -euo pipefail

work=$(mktemp -d)
chmod 700 "$work"
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null; rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

if [ "${1:-}" = --wayland ]; then
  shift
  if ! command -v weston >/dev/null; then
    echo "weston is not installed (scripts/install-deps installs it): skipped" >&2
    exit 77
  fi
  export XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=wayland-zelvora
  weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 --width=1280 --height=800 \
    >"$work/server.log" 2>&1 &
  ready() { [ -S "$work/$WAYLAND_DISPLAY" ]; }
else
  # -displayfd picks a free display number and reports it once the server is ready.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/server.log" 2>&1 &
  ready() { [ -s "$work/display" ]; }
fi
for _ in $(seq 100); do ready && break; sleep 0.1; done
if ! ready; then
  echo "the display server did not start:" >&2
  cat "$work/server.log" >&2
  exit 1
fi
if [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export DISPLAY=":$(tr -d '\n' <"$work/display")"
  if command -v trayer >/dev/null; then
    trayer --edge top --align right --widthtype request --height 24 --transparent false >/dev/null 2>&1 &
  fi
fi
dbus-run-session --config-file="$(dirname "$0")/../support/session-bus.conf" -- "$@"

#!/bin/sh
# Runs atspi_tree.py in a private D-Bus session with its own accessibility bus; run it under
# an X server (xvfb-run -a). Exits 77 (skipped) where the accessibility bus cannot be started.
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "SKIP: at-spi-bus-launcher is not installed (at-spi2-core)"; exit 77; }
command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed (dbus-bin)"; exit 77; }
[ -n "$DBUS_SESSION_BUS_ADDRESS" ] || exec dbus-run-session -- "$0" "$@"
"$launcher" --launch-immediately &
bus=$!
trap 'kill $bus 2>/dev/null' EXIT
/usr/bin/python3 "$(dirname "$0")/atspi_tree.py" "$@"

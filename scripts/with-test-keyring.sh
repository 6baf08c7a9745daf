#!/usr/bin/env bash
# Runs a command (a keyring test) beside a Secret Service of its own: gnome-keyring-daemon
# on a private D-Bus session bus, with a home, data and runtime folder of its own, its login
# keyring unlocked with a test password. The machine's own keyring and home are never
# reached. Where that cannot start (macOS, gnome-keyring missing), the command runs all
# the same, on no session bus, with TAVRIN_TEST_KEYRING_PROBLEM saying why: its keyring
# cases skip with that reason.
#   scripts/with-test-keyring.sh COMMAND [ARGUMENT...]
set -euo pipefail

without_keyring() {
    export TAVRIN_TEST_KEYRING_PROBLEM="$1" DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/bus"
    exec "${@:2}"
}

if [[ "${1:-}" != --inside ]]; then
    for tool in dbus-run-session gnome-keyring-daemon gdbus; do
        command -v "$tool" >/dev/null ||
            without_keyring "$tool is not installed (scripts/bootstrap.sh installs it)" "$@"
    done
    scratch="$(mktemp -d)"
    trap 'rm -rf "$scratch"' EXIT
    mkdir -m 700 "$scratch/home" "$scratch/runtime"
    status=0
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u GNOME_KEYRING_CONTROL \
        HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
        XDG_RUNTIME_DIR="$scratch/runtime" TAVRIN_TEST_KEYRING_DIR="$scratch" \
        dbus-run-session -- "$0" --inside "$@" || status=$?
    exit "$status"
fi

# Inside the private session bus.
shift
log="$TAVRIN_TEST_KEYRING_DIR/daemon.log"
printf 'tavrin-test' | gnome-keyring-daemon --foreground --unlock --components=secrets >"$log" 2>&1 &
daemon=$!
trap 'kill "$daemon" 2>/dev/null || true; wait "$daemon" 2>/dev/null || true' EXIT
if gdbus wait --session --timeout 20 org.freedesktop.secrets; then
    export TAVRIN_TEST_KEYRING=private
else
    export TAVRIN_TEST_KEYRING_PROBLEM="gnome-keyring-daemon did not start: $(tr '\n' ' ' <"$log")"
fi
"$@"

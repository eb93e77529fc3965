#!/bin/bash
# Runs the logind tests of the widget test program against python-dbusmock's logind
# on a private bus that stands in for the system bus. Never the real logind.
# Usage: logind-mock-test.sh TIDORAX_GUI_TESTS
set -euo pipefail

tests_binary=$(realpath "$1")
root=$(mktemp -d "${TMPDIR:-/tmp}/tidorax-logind-XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -m 0700 "$root/home" "$root/config" "$root/cache" "$root/data" "$root/runtime" "$root/tmp"
export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_CACHE_HOME="$root/cache" XDG_DATA_HOME="$root/data"
export XDG_RUNTIME_DIR="$root/runtime" TMPDIR="$root/tmp" Temp="$root/tmp"
export QT_QPA_PLATFORM=offscreen

python=/usr/bin/python3
if ! "$python" -c 'import dbusmock' 2>/dev/null; then
    echo "python3-dbusmock is not installed" >&2
    exit 1
fi

export TESTS_BINARY="$tests_binary" PYTHON="$python" LOG="$root/logind.log"
dbus-run-session -- bash -euo pipefail -c '
    export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
    "$PYTHON" -m dbusmock --template logind -l "$LOG" &
    mock=$!
    trap "kill $mock 2>/dev/null || true; wait $mock 2>/dev/null || true" EXIT
    for _ in $(seq 1 100); do
        if gdbus introspect --system -d org.freedesktop.login1 -o /org/freedesktop/login1 >/dev/null 2>&1; then
            break
        fi
        sleep 0.1
    done
    TIDORAX_MOCK_LOGIND=1 "$TESTS_BINARY" --gtest_filter="LogindMockTest.*:LogindSessionTest.*"
'
echo "logind mock tests passed"

#!/bin/bash
# Runs the logind tests of the widget test program against python-dbusmock's logind
# on a private bus that stands in for the system bus. Never the real logind.
# Usage: logind-mock-test.sh TIDORAX_GUI_TESTS
set -euo pipefail
source "$(dirname "$0")/e2e-helpers.sh"

export TESTS_BINARY=$(realpath "$1") QT_QPA_PLATFORM=offscreen
# The tests make sockets in their folders, and a socket's path holds at most 107 bytes:
# the sandbox lies in a short folder of its own, however long a path TMPDIR names.
TMPDIR=$(mktemp -d /tmp/tdx-XXXXXX)
at_exit rm -rf "'$TMPDIR'"
make_sandbox tidorax-logind
export root
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || fail "python3-dbusmock is not installed"

export HELPERS="$(dirname "$(realpath "$0")")/e2e-helpers.sh"
dbus-run-session -- bash -euo pipefail -c '
    source "$HELPERS"
    export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
    /usr/bin/python3 -m dbusmock --template logind -l "$root/logind.log" &
    at_exit "kill $!; wait $!"
    wait_for 100 gdbus introspect --system -d org.freedesktop.login1 -o /org/freedesktop/login1 ||
        fail "the logind mock did not come up: $(cat "$root/logind.log")"
    TIDORAX_MOCK_LOGIND=1 "$TESTS_BINARY" --gtest_filter="LogindMockTest.*:LogindSessionTest.*"
'
echo "logind mock tests passed"

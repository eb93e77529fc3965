#!/usr/bin/env bash
# Checks that the layers depend one way: nothing under core/ or platform/ includes a
# Qt header, core/ includes neither desktop/ nor tools/, and platform/ includes no
# other layer.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
report() {
    echo "layer check: $1" >&2
    echo "$2" >&2
    status=1
}
if hits=$(git grep -n -E '^\s*#\s*include\s*<Q' -- core platform); then
    report "core/ and platform/ must not include Qt headers" "$hits"
fi
if hits=$(git grep -n -E '^\s*#\s*include\s*"(desktop|tools)/' -- core); then
    report "core/ must not include desktop/ or tools/" "$hits"
fi
if hits=$(git grep -n -E '^\s*#\s*include\s*"(core|desktop|tools)/' -- platform); then
    report "platform/ must not include core/, desktop/ or tools/" "$hits"
fi
if hits=$(git grep -n -E '^\s*#\s*include\s*"desktop/' -- tools); then
    report "tools/ must not include desktop/" "$hits"
fi
exit $status

#!/usr/bin/env bash
# Checks that the layers depend one way: nothing under core/, platform/ or launcher/
# includes a Qt header, core/ includes neither desktop/ nor tools/, platform/ includes
# no other layer, and neither tools/ nor launcher/ includes desktop/.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
report() {
    echo "layer check: $1" >&2
    echo "$2" >&2
    status=1
}
if hits=$(git grep -n -E '^\s*#\s*include\s*<Q' -- core platform launcher); then
    report "core/, platform/ and launcher/ must not include Qt headers" "$hits"
fi
if hits=$(git grep -n -E '^\s*#\s*include\s*"(desktop|tools)/' -- core); then
    report "core/ must not include desktop/ or tools/" "$hits"
fi
if hits=$(git grep -n -E '^\s*#\s*include\s*"(core|desktop|tools)/' -- platform); then
    report "platform/ must not include core/, desktop/ or tools/" "$hits"
fi
if hits=$(git grep -n -E '^\s*#\s*include\s*"desktop/' -- tools launcher); then
    report "tools/ and launcher/ must not include desktop/" "$hits"
fi
exit $status

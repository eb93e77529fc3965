#!/bin/bash
# The real Firefox ESR and Chromium make their profiles, caches and cookie stores in a
# sandbox home, visiting a local server that sets cookies; then "tidorax A" cleans the web
# cache and the cookies with one site kept. Checked: both stores keep only the kept site's
# cookies, both caches are emptied, each browser sends the kept cookie afterwards and none
# of the others, and a Firefox that runs is told apart. (What stays of a running browser's
# caches and stores, and of other programs' caches: BrowserCleaningTest, on profiles that
# these browsers made.)
# Skips (exit 77) where the browsers are missing or cannot run here.
# Usage: browsers-test.sh TIDORAX TIDORAX_REG
set -euo pipefail
source "$(dirname "$0")/e2e-helpers.sh"
tidorax=$(realpath "$1") reg=$(realpath "$2")
skip() { echo "SKIP: $*" && exit 77; }
for program in firefox-esr chromium sqlite3 /usr/bin/python3; do
    command -v "$program" >/dev/null || skip "$program is not installed (scripts/install-deps.sh installs it)"
done
make_sandbox tidorax-browsers

# A server on a free port of 127.0.0.1: "/" sets a host cookie and a Domain cookie; every
# answer may be cached, and every request is logged with the cookies it carried.
/usr/bin/python3 "$(dirname "$0")/cookie-server.py" "$root/requests.log" "$root/port" 2>"$root/server.err" &
at_exit "kill $!; wait $!"
wait_for 50 test -s "$root/port" || fail "the server did not start: $(cat "$root/server.err")"
keep=http://www.keep.test:$(cat "$root/port") other=http://ads.tracker.test:$(cat "$root/port")

# Each browser run loads one page, stores its cookies and cache, and ends.
firefox() { timeout 40 firefox-esr --headless --no-remote "$@" >>"$root/firefox.log" 2>&1; }
chromium_visit() {
    timeout 40 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
        --disable-component-update --no-first-run --user-data-dir="$XDG_CONFIG_HOME/chromium" \
        --host-resolver-rules="MAP *.test 127.0.0.1" --dump-dom "$1" >>"$root/chromium.log" 2>&1
}
profile_of() { find "$HOME" "$XDG_CONFIG_HOME" -maxdepth 4 -type d -name "*.$1" | head -1; }
for name in main busy; do
    firefox -CreateProfile "$name" || skip "Firefox cannot make a profile here: $(tail -3 "$root/firefox.log")"
    echo 'user_pref("network.dns.localDomains", "www.keep.test,ads.tracker.test");' >"$(profile_of "$name")/user.js"
done
main=$(profile_of main) busy=$(profile_of busy)
for url in "$keep/" "$other/"; do
    firefox -P main --screenshot "$root/shot.png" "$url" || skip "Firefox cannot run here: $(tail -3 "$root/firefox.log")"
    chromium_visit "$url" || skip "Chromium cannot run here: $(tail -3 "$root/chromium.log")"
done
firefox -P busy --screenshot "$root/shot.png" "$other/"
chromium_store=$XDG_CONFIG_HOME/chromium/Default/Cookies
hosts() { sqlite3 "$1" "SELECT DISTINCT $2 FROM $3 ORDER BY 1" | paste -sd' '; }
files_below() { find "$@" -type f 2>/dev/null | wc -l; }
firefox_cache=$(find "$XDG_CACHE_HOME" -type d -name cache2 -path '*main*')
chromium_caches=("$XDG_CACHE_HOME/chromium/Default/Cache" "$XDG_CACHE_HOME/chromium/Default/Code Cache")
all=".keep.test .tracker.test ads.tracker.test www.keep.test"
[ "$(hosts "$main/cookies.sqlite" host moz_cookies)/$(hosts "$chromium_store" host_key cookies)" = "$all/$all" ] &&
    [ "$(files_below "$firefox_cache")" -gt 0 ] && [ "$(files_below "${chromium_caches[@]}")" -gt 0 ] ||
    fail "the browsers did not store the cookies and caches expected"

# Firefox runs with the "busy" profile while the clean goes on.
firefox-esr --headless --no-remote -P busy about:blank >>"$root/firefox.log" 2>&1 &
busy_pid=$!
at_exit "kill $busy_pid; wait $busy_pid"
locked_by_busy() { [[ "$(readlink "$busy/lock")" == *"+$busy_pid" ]]; } # not the last run's link
wait_for 200 locked_by_busy || fail "the running Firefox took no lock"

set_setting CleanPath InternetFiles Yes && set_setting CleanPath CookieFiles Yes &&
    set_setting SpecialCookies Cookie0 keep.test || fail "the settings could not be stored"
"$tidorax" A 2>"$root/clean.err" || fail "tidorax A failed: $(cat "$root/clean.err")"
[ "$(cat "$root/clean.err")" = "tidorax: The cache of Firefox (profile busy) was not cleaned: the browser is running.
tidorax: The cookies of Firefox (profile busy) were not cleaned: the browser is running." ] ||
    fail "unexpected messages: $(cat "$root/clean.err")"
kill "$busy_pid" && wait "$busy_pid" || true

kept=".keep.test www.keep.test"
[ "$(hosts "$main/cookies.sqlite" host moz_cookies)/$(hosts "$chromium_store" host_key cookies)" = "$kept/$kept" ] ||
    fail "the stores after the clean: $(hosts "$main/cookies.sqlite" host moz_cookies)/$(hosts "$chromium_store" host_key cookies)"
[ "$(files_below "$firefox_cache" "${chromium_caches[@]}")" -eq 0 ] || fail "a browser cache kept files"

# Each browser still sends the kept site's cookies, and no other.
: >"$root/requests.log"
for url in "$keep/again" "$other/again"; do
    firefox -P main --screenshot "$root/shot.png" "$url"
    chromium_visit "$url"
done
# How many requests for host carried cookies matching the pattern.
sent() { grep "^$1 /again cookies=" "$root/requests.log" | grep -c -E "$2" || true; }
[ "$(sent www.keep.test '=.*host_www=1' )" -eq 2 ] && [ "$(sent www.keep.test '=.*dom_keep=1')" -eq 2 ] ||
    fail "the kept cookies were not sent: $(cat "$root/requests.log")"
[ "$(sent ads.tracker.test '=$')" -eq 2 ] || fail "a deleted cookie was sent: $(cat "$root/requests.log")"
echo "browsers test passed"

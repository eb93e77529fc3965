#!/bin/bash
# The tray program under a StatusNotifierItem host (as KDE Plasma, GNOME's AppIndicator,
# XFCE and waybar run one): a watcher of the tests' own on a private session bus, in
# Xvfb. The item registers there, names its icon "tidorax" from the installed theme,
# exports the tray menu's seven commands in order with a separator between each two,
# and Activate(x, y) opens the menu at that point.
# Usage: sni-tray-test.sh TIDORAX TIDORAX_REG
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/e2e-helpers.sh"

if [ "${1:-}" != "--inside" ]; then
    make_sandbox tidorax-sni
    start_xvfb
    dbus-run-session -- bash "$0" --inside "$(realpath "$1")" "$(realpath "$2")" "$root"
    exit 0
fi

tidorax=$2 reg=$3 root=$4
use_xcb
on_failure() { tail -n 20 "$root"/*.log >&2 || true; }
# The icon where the package installs it, in the theme's folders.
mkdir -p "$XDG_DATA_HOME/icons" && cp -r "$here/../../resources/icons/hicolor" "$XDG_DATA_HOME/icons/"
set_setting CleanPath FirstRun No
start watcher /usr/bin/python3 "$here/status-notifier-watcher.py" "$root/items"
wait_for 100 gdbus introspect --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher ||
    fail "the watcher did not come up"
start tray "$tidorax"
wait_for 150 test -s "$root/items" || fail "no item registered with the watcher"
read -r service item <"$root/items"

property() { gdbus call --session -d "$service" -o "$item" -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"; }
[ "$(property IconName)" = "(<'tidorax'>,)" ] || fail "the icon is not named from the theme: $(property IconName)"
menu=$(property Menu | sed -n "s/^(<objectpath '\(.*\)'>,)$/\1/p")
# Each item's label, a separator as "-".
labels=$(gdbus call --session -d "$service" -o "$menu" -m com.canonical.dbusmenu.GetLayout 0 -- -1 '[]' |
    grep -o "'label': <'[^']*'>\|'type': <'separator'>" | sed "s/^'label': <'\(.*\)'>$/\1/; s/^'type'.*/-/" |
    paste -sd '|')
expected="About---Version 3.0|-|Remove All Paths|-|Exit|-|Help|-|Clean And Shutdown|-|Configuration|-|ViriRerer"
[ "$labels" = "$expected" ] || fail "the exported menu holds: $labels"

# Activate at a point of the host's, away from the pointer: the menu opens there.
xdotool mousemove 5 5
gdbus call --session -d "$service" -o "$item" -m org.kde.StatusNotifierItem.Activate 300 200 >/dev/null
# The menu: a window of the program, tall enough for its thirteen items, at that point.
menu_at_point() {
    for w in $(xdotool search --onlyvisible --classname '^tidorax$'); do
        eval "$(xdotool getwindowgeometry --shell "$w")" && [ "$X,$Y" = 300,200 ] && [ "$HEIGHT" -gt 100 ] && return 0
    done
    return 1
}
wait_for 50 menu_at_point || fail "Activate did not open the menu at 300,200"
echo "status notifier test passed"

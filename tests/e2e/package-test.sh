#!/bin/bash
# The Debian package made from a build tree: its file list, its menu entry, AppStream
# data and manual pages validate, lintian finds no error, and the programs unpacked
# into a temporary root clean a seeded Temp folder and read the settings store.
# Usage: package-test.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/e2e-helpers.sh"
build=$(realpath "$1")
make_sandbox tidorax-package

(cd "$build" && cpack -B "$root/out" >"$root/cpack.log" 2>&1) ||
    { cat "$root/cpack.log" >&2; fail "cpack did not make the package"; }
deb=$(ls "$root"/out/tidorax_3.0-1_*.deb) # (no package of that name: ls fails, and the script)

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$root/files"
for path in /usr/bin/tidorax /usr/bin/tidorax-reg /usr/libexec/tidorax/tidorax-tray /usr/share/tidorax/Tidora.html \
    /usr/share/applications/tidorax.desktop /usr/share/metainfo/tidorax.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/tidorax.svg \
    /usr/share/man/man1/tidorax.1.gz /usr/share/man/man1/tidorax-reg.1.gz \
    /usr/share/doc/tidorax/copyright /usr/share/doc/tidorax/changelog.Debian.gz \
    /usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/tidorax.png; do
    grep -qx "$path" "$root/files" || fail "the package lacks $path"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "Depends was not computed"

dpkg-deb -x "$deb" "$root/unpacked"
usr="$root/unpacked/usr"
desktop-file-validate "$usr/share/applications/tidorax.desktop" || fail "the menu entry does not validate"
appstreamcli validate --no-net "$usr/share/metainfo/tidorax.metainfo.xml" >"$root/appstream.log" 2>&1 ||
    { cat "$root/appstream.log" >&2; fail "the AppStream data does not validate"; }
for page in tidorax tidorax-reg; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
if command -v lintian >/dev/null; then
    lintian "$deb" >"$root/lintian.log" 2>&1 || true
    ! grep -q '^E:' "$root/lintian.log" || { cat "$root/lintian.log" >&2; fail "lintian reports errors"; }
fi

# The unpacked programs in the sandbox and nothing else of this environment: "A"
# cleans the seeded Temp folder, as the flag stored by the unpacked tidorax-reg asks.
sandbox_env=(env -i PATH=/usr/bin:/bin HOME="$HOME" XDG_CONFIG_HOME="$XDG_CONFIG_HOME"
    XDG_CACHE_HOME="$XDG_CACHE_HOME" XDG_DATA_HOME="$XDG_DATA_HOME" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" Temp="$Temp")
run() { "${sandbox_env[@]}" "$@"; }
section='HKCU\Software\Quillon Software\Tidora\CleanPath'
run "$usr/bin/tidorax-reg" add "$section" /v TempFiles /d Yes /f >/dev/null || fail "tidorax-reg add failed"
seed_temp
run "$usr/bin/tidorax" A || fail "tidorax A failed"
temp_cleaned || fail "tidorax A did not clean Temp, or went beyond it"
# The unpacked program finds its manual in usr/share/tidorax/, and its start at log-on
# names it by its absolute path.
manual=$(run "$usr/bin/tidorax" --help | grep Manual)
[ "$manual" = "Manual: $usr/share/tidorax/Tidora.html" ] || fail "the unpacked program does not find its manual: $manual"
# Any other start goes to the tray program in usr/libexec/tidorax/: without a desktop it
# says so; on an off-screen one it registers the tidorax command for log-on.
said=$(run "$usr/bin/tidorax" 2>&1) && fail "tidorax without a desktop ended well"
[[ "$said" == *"no desktop to show the tray icon on"* ]] || fail "tidorax does not reach the tray program: $said"
# Started straight from this shell (env and the command exec): $! is the tray program.
"${sandbox_env[@]}" QT_QPA_PLATFORM=offscreen "$usr/bin/tidorax" >"$root/tray.log" 2>&1 &
tray=$!
at_exit kill "$tray"
wait_for 100 test -f "$XDG_CONFIG_HOME/autostart/Tidora.desktop" || fail "the tray program registered nothing for log-on"
kill "$tray"
wait "$tray" || true
! ls -l /proc/[0-9]*/exe 2>/dev/null | grep -qF -- "-> $usr/libexec/tidorax/tidorax-tray" || fail "a tray program outlived its end"
[ "$(grep Exec= "$XDG_CONFIG_HOME/autostart/Tidora.desktop")" = "Exec=$usr/bin/tidorax
TryExec=$usr/bin/tidorax" ] || fail "the tray program registers $(grep Exec "$XDG_CONFIG_HOME/autostart/Tidora.desktop")"
rm "$XDG_CONFIG_HOME/autostart/Tidora.desktop"
run "$usr/bin/tidorax-reg" add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Tidora /d x /f >/dev/null ||
    fail "the log-on value could not be written"
grep -qx "Exec=$usr/bin/tidorax" "$XDG_CONFIG_HOME/autostart/Tidora.desktop" ||
    fail "the autostart entry does not name the program: $(grep Exec "$XDG_CONFIG_HOME/autostart/Tidora.desktop")"
echo "package test passed: $(basename "$deb")"

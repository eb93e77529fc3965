#!/usr/bin/env bash
# Installs, through apt-get, every Debian 12 package that building, running and
# testing Tidorax needs. Does nothing when all of them are present.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools libqt6dbus6 libqt6network6 qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    libsqlite3-dev libgtest-dev nlohmann-json3-dev
    firefox-esr chromium sqlite3
    xvfb xauth trayer xdotool x11-apps x11-utils imagemagick
    python3-dbusmock python3-dbus python3-gi dbus dbus-x11 libglib2.0-bin
    fonts-dejavu-core libxkbcommon-x11-0 libxcb-cursor0
    dpkg-dev lintian desktop-file-utils appstream man-db hicolor-icon-theme
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Installs what is missing, builds in Release with Debian's hardening flags, and
# writes the Debian package to build-package/ (tidorax_<version>-1_<arch>.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DTIDORAX_TESTS=OFF >/dev/null
cmake --build build-package --target tidorax tidorax-reg tidorax_compressed_documents
(cd build-package && cpack -B "$PWD")
ls build-package/*.deb

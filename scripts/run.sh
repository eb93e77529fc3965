#!/usr/bin/env bash
# Installs what is missing, builds, and runs tidorax with the arguments given.
#   scripts/run.sh       the tray program
#   scripts/run.sh A     clean now, silently, as the settings select
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh normal tidorax tidorax-reg >/dev/null
exec build/tidorax "$@"

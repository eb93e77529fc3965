#!/usr/bin/env bash
# Installs what is missing, builds, and runs tidorax with the arguments given.
#   scripts/run.sh       the tray program
#   scripts/run.sh A     clean now, silently, as the settings select
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The first build takes minutes: its progress shows, on standard error so that the
# program's own output stays apart.
echo "== building tidorax (build/)" >&2
scripts/build.sh normal tidorax tidorax-reg >&2
exec build/tidorax "$@"

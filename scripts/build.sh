#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh normal   -> build/
#   scripts/build.sh asan     -> build-asan/ (AddressSanitizer + UndefinedBehaviorSanitizer)
# Targets named after the flavour are built alone (default: everything).
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-normal}
shift || true
werror=${TIDORAX_WERROR:-OFF}
[ "${CI:-}" = "true" ] && werror=ON
case "$flavour" in
normal) dir=build; extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
asan) dir=build-asan; extra=(-DCMAKE_BUILD_TYPE=Debug -DTIDORAX_SANITIZE=ON) ;;
*) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja -DTIDORAX_WERROR="$werror" "${extra[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" "${targets[@]}"

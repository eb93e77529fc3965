#!/usr/bin/env bash
# Installs what is missing, checks the formatting, the layers and the weight of the
# tests against the program (scripts/test-ratio.sh), builds the normal and the
# AddressSanitizer/UndefinedBehaviorSanitizer flavours, and runs every test of both.
#   scripts/test.sh            both flavours: each is built and run whatever the other
#                              did, each one's result is reported, and the run fails
#                              when either failed
#   scripts/test.sh normal     one flavour (asan or normal), for a quicker round
# Tests run with HOME, XDG_* folders, TMPDIR and Temp pointing at a fresh folder,
# never at the real ones; the folder is removed however the run ends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

echo "== formatting"
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${sources[@]}"

echo "== layers"
scripts/check-layers.sh

echo "== test ratio"
scripts/test-ratio.sh 1/3

# Builds and tests one flavour; run in a subshell of its own, which removes its sandbox
# however it ends.
run_flavour() {
    local flavour=$1 dir=$2
    sandbox=""
    trap '[ -z "${sandbox:-}" ] || rm -rf "$sandbox"' EXIT
    echo "== build: $flavour"
    scripts/build.sh "$flavour"
    # A fresh folder that a child process dropped to an unprivileged user can still
    # reach (permission tests need that), whatever folder the checkout lies in.
    sandbox=$(mktemp -d "${TMPDIR:-/tmp}/tidorax-tests.XXXXXX")
    chmod 755 "$sandbox"
    mkdir -p "$sandbox"/{home,config,cache,data,runtime,tmp}
    chmod 700 "$sandbox/runtime"
    chmod 1777 "$sandbox/tmp"
    echo "== tests: $flavour"
    (
        export HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_CACHE_HOME="$sandbox/cache" \
            XDG_DATA_HOME="$sandbox/data" XDG_RUNTIME_DIR="$sandbox/runtime" TMPDIR="$sandbox/tmp" \
            Temp="$sandbox/tmp" TEMP="$sandbox/tmp"
        unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
        export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        cd "$dir"
        ctest --output-on-failure --timeout 600 -j2
    )
}

case "${1:-both}" in
asan) flavours=(asan) ;;
normal) flavours=(normal) ;;
both) flavours=(asan normal) ;;
*) echo "unknown flavour: $1" >&2; exit 2 ;;
esac
# Each flavour in a subshell of its own, so that a failure ends that flavour only. The
# subshell is no condition, where bash would ignore its "set -e".
results=() failed=0
for flavour in "${flavours[@]}"; do
    dir=build
    [ "$flavour" = normal ] || dir=build-$flavour
    set +e
    (
        set -e
        run_flavour "$flavour" "$dir"
    )
    status=$?
    set -e
    if [ $status -eq 0 ]; then
        results+=("$flavour: passed")
    else
        results+=("$flavour: FAILED (status $status)")
        failed=1
    fi
done
echo "== results"
printf '%s\n' "${results[@]}"
exit $failed

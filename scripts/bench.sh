#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its figures and its ratio against a
# reference tool on the same generated tree. Trees are made under a fresh folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh normal bench_walk bench_clean bench_shapes bench_options bench_browsers >/dev/null
work=$(mktemp -d "$PWD/build/bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
for b in build/bench/bench_walk build/bench/bench_clean build/bench/bench_shapes build/bench/bench_options build/bench/bench_browsers; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    TMPDIR="$work" "$b"
done

#!/bin/sh
# Builds the walk benchmark with optimisation in its own build folder and runs it.
# Usage: bench/run-bench-walk.sh [build-folder]
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build-bench-walk}
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" --target bench_walk -j2 >/dev/null
exec "$build_dir/bench/bench_walk"

#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1), of the type
# given as $2; further arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
build_type=${2:-RelWithDebInfo}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="$build_type" "${@:3}"
cmake --build "$build_dir" -j"$(nproc)"

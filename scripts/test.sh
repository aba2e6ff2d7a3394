#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"

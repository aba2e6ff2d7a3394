#!/usr/bin/env bash
# Takes a new picture of the window for the golden-image test, after a change
# to the window's look that was meant. Look at the picture before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
cmake --build "$build_dir" --target ui_tests -j"$(nproc)"
VELD_UPDATE_GOLDEN=1 QT_QPA_PLATFORM=offscreen "$build_dir/tests/bin/ui_tests" --gtest_filter=GoldenImage.*
git status --short tests/ui/golden

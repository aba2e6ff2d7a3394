#!/usr/bin/env bash
# Takes new pictures for the golden-image tests (the panel's window, the
# virtual module's display), after a change to their look that was meant.
# Look at the pictures before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
cmake --build "$build_dir" --target ui_tests module_gui_tests -j"$(nproc)"
VELD_UPDATE_GOLDEN=1 QT_QPA_PLATFORM=offscreen "$build_dir/tests/bin/ui_tests" --gtest_filter=GoldenImage.*
VELD_UPDATE_GOLDEN=1 QT_QPA_PLATFORM=offscreen "$build_dir/tests/bin/module_gui_tests" \
    --gtest_filter=module_Window.TheDisplayDrawsEveryCharacterAsBefore
git status --short tests/ui/golden tests/module/golden

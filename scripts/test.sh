#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; non-zero on any failure.
#
#   1. the suite in build/ (RelWithDebInfo), which builds the benchmarks of
#      bench/ too (not run), so that a change that breaks one fails here
#   2. clang-tidy and cppcheck on our sources (scripts/static-checks.sh)
#   3. the suite again in build-asan/ with AddressSanitizer and
#      UndefinedBehaviorSanitizer (-DVELD_SANITIZE=ON); any report fails
#      (the packaging test, which only packs and unpacks, runs in step 1 only)
#   4. each fuzz target for $VELD_FUZZ_SECONDS seconds (default 60, fuzz/run.sh)
#
# VELD_QUICK=1 runs step 1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

# Besides what building and running need (scripts/install-deps.sh): fuzzing
# (clang, libFuzzer) and symbolised sanitizer reports; the static checks and
# clang-format; the package test's tools; the benchmarks' X headers; socat, a
# control-socket client of another user.
test_packages=(
    clang libclang-rt-14-dev llvm-14
    clang-tidy cppcheck clang-format
    file desktop-file-utils appstream lintian
    libxcb1-dev
    socat
)
scripts/install-deps.sh "${test_packages[@]}"
scripts/build.sh build RelWithDebInfo -DVELD_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure -j"$jobs"

if [[ ${VELD_QUICK:-0} == 1 ]]; then
    exit 0
fi

scripts/static-checks.sh build

echo "== sanitizer build (build-asan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELD_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Leaks inside Qt, fontconfig and the platform plugin are suppressed by name in
# .lsan-suppressions; leaks in our code still fail.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
    LSAN_OPTIONS=suppressions=$root/.lsan-suppressions:print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE packaging

echo "== fuzzing"
VELD_FUZZ_SECONDS=${VELD_FUZZ_SECONDS:-60} fuzz/run.sh

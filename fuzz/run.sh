#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ (or $VELD_FUZZ_BUILD),
# replays the seed corpus and the kept crash inputs, then fuzzes each target
# for $VELD_FUZZ_SECONDS seconds (default 60). A crash, leak, timeout or
# sanitizer report fails the run; its input is kept under
# fuzz/regressions/<target>/, where the replay tests pick it up once committed.
# fuzz/targets/<target>.flags, where there is one, adds libFuzzer flags of the
# target's own (one or more per line, '#' starts a comment).
#
#   fuzz/run.sh [target ...]      # default: every target
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${VELD_FUZZ_BUILD:-build-fuzz}
seconds=${VELD_FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S fuzz -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure

read -r -a targets < <(tr ";" " " <"$build_dir/targets.txt"; echo) || true
if (($#)); then targets=("$@"); fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for t in "${targets[@]}"; do
    work="$build_dir/corpus/$t"
    regressions="$root/fuzz/regressions/$t"
    mkdir -p "$work" "$regressions"
    cp -n "$root/fuzz/corpus/$t"/* "$work"/ 2>/dev/null || true
    flags=()
    if [[ -f $root/fuzz/targets/$t.flags ]]; then
        read -r -a flags < <(sed 's/#.*//' "$root/fuzz/targets/$t.flags" | tr '\n' ' '; echo)
    fi
    echo "== fuzzing $t for ${seconds}s ${flags[*]}"
    # The seed corpus in the repo stays as it is; new inputs go to the work folder.
    if ! "$build_dir/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$regressions/" "${flags[@]}" \
        "$work" "$root/fuzz/corpus/$t" 2>"$build_dir/fuzz_$t.log"; then
        tail -n 60 "$build_dir/fuzz_$t.log"
        echo "fuzz_$t FAILED; the input is kept in fuzz/regressions/$t/:"
        ls -1 "$regressions"
        failed+=("$t")
    else
        grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done)' \
            "$build_dir/fuzz_$t.log" || true
    fi
done

if ((${#failed[@]})); then
    echo "fuzzing found faults in: ${failed[*]}"
    exit 1
fi
echo "fuzzing: no faults in ${targets[*]} (${seconds}s each)"

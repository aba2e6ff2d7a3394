#!/usr/bin/env bash
# clang-tidy (.clang-tidy) and cppcheck (.cppcheck-suppressions) over the
# product's sources, from the compile commands of a configured and built
# folder (default build/). Non-zero on any finding. The product's folders are
# those of the compiled sources that have a CMakeLists.txt of their own, less
# tests/, bench/ and fuzz/: a new library is checked without being listed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${1:-build}

if [[ ! -f $build_dir/compile_commands.json ]]; then
    echo "no $build_dir/compile_commands.json: configure and build $build_dir first" >&2
    exit 2
fi
folders=$(python3 - "$build_dir/compile_commands.json" "$root" <<'PY'
import json, os, sys
commands, root = sys.argv[1:]
tops = {os.path.relpath(c["file"], root).split(os.sep)[0] for c in json.load(open(commands))}
print("|".join(sorted(t for t in tops if t not in ("tests", "bench", "fuzz")
                      and os.path.isfile(os.path.join(root, t, "CMakeLists.txt")))))
PY
)
sources="($folders)"
echo "== product folders: ${folders//|/ }"

status=0

echo "== clang-tidy"
if ! run-clang-tidy -p "$build_dir" -j"$(nproc)" -quiet -header-filter="^$root/$sources/[^/]+\.h\$" \
    "$root/$sources/[^/]+\.cpp\$" \
    >"$build_dir/clang-tidy.log" 2>&1; then
    status=1
fi
# run-clang-tidy's own exit status is not reliable across versions: look at the findings too.
if grep -E '(warning|error): ' "$build_dir/clang-tidy.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u; then
    status=1
fi
((status == 0)) && echo "clang-tidy: clean"

echo "== cppcheck"
# cppcheck gets a compile database of our sources only (its --file-filter does
# not apply to --project in this version); python3 comes with clang-tidy.
python3 - "$build_dir/compile_commands.json" "$build_dir/cppcheck-commands.json" "$root" "$sources" <<'PY'
import json, re, sys
commands, out, root, sources = sys.argv[1:]
ours = re.compile(re.escape(root) + "/" + sources + r"/[^/]+\.cpp$")
json.dump([c for c in json.load(open(commands)) if ours.match(c["file"])], open(out, "w"))
PY
if ! cppcheck --project="$build_dir/cppcheck-commands.json" --std=c++20 --library=qt \
    --enable=warning,performance,portability,style --inline-suppr \
    --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet -j"$(nproc)" \
    --template='{file}:{line}: {severity}: {message} [{id}]'; then
    status=1
else
    echo "cppcheck: clean"
fi
exit $status

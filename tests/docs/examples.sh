#!/usr/bin/env bash
# Runs every shell example of the README, docs/ and the manual pages against a
# headless virtual module and checks what its text says it shows; one row per
# example, taken from the documents each run. Usage: examples.sh SOURCE_DIR BIN_DIR
#
# An example is a fenced Markdown block (```sh or no language) or a .nf/.fi
# block under EXAMPLES in a manual page. Its comment lines (.\" in a manual
# page) say what to check, and one of them must:
#   # module: FIELD=VALUE ...  the module's `state` line afterwards holds these
#   # prints: TEXT             the example's standard output is TEXT (one line each)
#   # needs: WHAT              not run here: hardware, a sensor, a display, ...
#   # not a command            the block is a file's contents
# Every --port DEVICE and --com N leads to a fresh module's link for each
# example; build/bin/ is dropped, the programs being on PATH.
set -uo pipefail
src=$1 bin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH=$bin:$PATH XDG_CONFIG_HOME=$work/config LC_ALL=C.UTF-8
link=$work/veld
for n in 1 2 3 4 5; do export "VELD_COM$n=$link"; done

# One file per example in $work/ex: a first line "# at FILE:LINE", then the block.
mkdir "$work/ex" "$work/run"
cd "$src" || exit 1
awk -v out="$work/ex" '
    function begin() { file = sprintf("%s/%03d", out, ++n); print "# at " FILENAME ":" FNR > file }
    function end() { close(file); file = "" }
    FNR == 1 { man = FILENAME ~ /\.1\.in$/; fence = 0; section = "" }
    !man && /^ *```/ {
        if (fence) { fence = 0; if (file != "") end(); next }
        fence = 1
        if ($0 ~ /^ *``` *(sh|bash|shell)? *$/) begin()
        next
    }
    !man && file != "" { sub(/^ */, ""); print > file }
    man && /^\.SH/ { section = $2 }
    man && section == "EXAMPLES" && /^\.nf/ { begin(); next }
    man && file != "" && /^\.fi/ { end(); next }
    man && file != "" {
        line = $0
        sub(/^\.\\" */, "# ", line)
        gsub(/\\-/, "-", line); gsub(/\\\(aq/, "\047", line); gsub(/\\\(dq/, "\"", line)
        gsub(/\\&/, "", line); gsub(/\\e/, "\\", line)
        print line > file
    }
' README.md docs/*.md packaging/*.1.in

passed=0 failed=0 skipped=0
fail() {
    echo "FAIL $where: $*"
    failed=$((failed + 1))
}

# Starts a module, its output on fd ${module[0]}, its input on ${module[1]}.
start_module() {
    coproc module { exec veld-module --headless --link "$link" 2>&1; }
    read -r -t 10 device <&"${module[0]}"
}
stop_module() {
    echo quit >&"${module[1]}"
    wait "$module_PID"
}

# Asks for the state until it holds every field, or no further line comes.
state_holds() {
    local line fields=" $1" want
    while :; do
        echo state >&"${module[1]}"
        while read -r line <&"${module[0]}" && [[ $line != state\ * ]]; do :; done
        local all=1 rest=$fields
        while [[ $rest =~ ^\ +([a-z0-9]+=(\"[^\"]*\"|[^ ]*)) ]]; do
            want=${BASH_REMATCH[1]}
            rest=${rest:${#BASH_REMATCH[0]}}
            [[ " $line " == *" $want "* ]] || all=0
        done
        [[ $rest =~ ^\ *$ ]] || { state="no FIELD=VALUE at '$rest'"; return 1; }
        ((all)) && return 0
        # A frame still on its way comes as an rx line; without one, it failed.
        read -r -t 3 next <&"${module[0]}" || { state=$line; return 1; }
    done
}

for example in "$work"/ex/*; do
    where=$(head -n 1 "$example" | cut -c6-)
    needs=$(sed -n 's/^# \(needs: .*\)/\1/p; s/^# \(not a command.*\)/\1/p' "$example" | head -n 1)
    fields=$(sed -n 's/^# module: //p' "$example" | tr '\n' ' ')
    prints=$(sed -n 's/^# prints: //p' "$example")
    if [[ -n $needs ]]; then
        echo "skip $where ($needs)"
        skipped=$((skipped + 1))
        continue
    fi
    if [[ -z $fields && -z $prints ]] && ! grep -q '^# prints:' "$example"; then
        fail "says neither '# module:', '# prints:' nor '# needs:'"
        continue
    fi
    sed -E -i 's#--port +[^ ;|&)]+#--port "$VELD_LINK"#g; s#(^|[ ;|(])build/bin/#\1#g' "$example"
    start_module || { fail "the module did not start"; stop_module; continue; }
    output=$(cd "$work/run" && VELD_LINK=$link bash "$example" 2>"$work/stderr")
    status=$?
    if ((status != 0)); then
        fail "exit status $status: $(tail -n 3 "$work/stderr")"
    elif [[ $output != "$prints" ]]; then
        fail "printed '$output', the text says '$prints'"
    elif [[ -n $fields ]] && ! state_holds "$fields"; then
        fail "the module's state is not '$fields': $state"
    else
        echo "pass $where"
        passed=$((passed + 1))
    fi
    stop_module
done
echo "$passed passed, $failed failed, $skipped not run (they need what the test has not)"
((failed == 0 && passed > 0))

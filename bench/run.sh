#!/usr/bin/env bash
# The benchmark: builds in Release into build-bench/, starts a private Xvfb and
# prints one table: start-up and footprint of veld beside a bare Qt window (the
# floor), idle cost, click to wire, one write per frame, receive to screen, the
# traffic window under long lines, and a veldctl run beside the least program
# that writes the same frames.
# Not part of ctest or CI.
#
#   bench/run.sh                 full run (about 9 minutes)
#   bench/run.sh --quick         fewer repetitions, 10 s idle and flood windows (about 2 minutes)
#   bench/run.sh --readme        also write the table into README.md between its markers
#
# Finer control: --runs N (start-ups per program), --idle-seconds S, --idle-runs N,
# --clicks N, --messages N, --flood-seconds S, --veldctl PATH (time another build's veldctl),
# --no-build, --keep (keep the raw output folder).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
command_line="bench/run.sh${*:+ $*}"

runs=21
idle_seconds=60
idle_runs=3
clicks=1000
text_clicks=100
messages=200
trace_clicks=200
cli_runs=21
traffic_samples=21
flood_seconds=60
veldctl=
build=1
readme=0
keep=0
while (($#)); do
    case $1 in
    --quick)
        runs=5 idle_seconds=10 idle_runs=1 clicks=300 text_clicks=30 messages=40 trace_clicks=50
        traffic_samples=7 flood_seconds=10
        ;;
    --runs) runs=$2 && shift ;;
    --idle-seconds) idle_seconds=$2 && shift ;;
    --idle-runs) idle_runs=$2 && shift ;;
    --clicks) clicks=$2 && shift ;;
    --messages) messages=$2 && shift ;;
    --flood-seconds) flood_seconds=$2 && shift ;;
    --veldctl) veldctl=$(realpath "$2") && shift ;;
    --no-build) build=0 ;;
    --readme) readme=1 ;;
    --keep) keep=1 ;;
    -h | --help)
        sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *)
        echo "unknown option: $1 (see --help)" >&2
        exit 2
        ;;
    esac
    shift
done

# Debian packages the bench needs on top of the build's own.
mapfile -t bench_packages < <(grep -v '^\s*\(#\|$\)' bench/packages.txt)
scripts/install-deps.sh "${bench_packages[@]}"

build_dir=$root/build-bench
if ((build)); then
    echo "== building into build-bench/ (Release)" >&2
    build_log=$(mktemp /tmp/veld-bench-build.XXXXXX)
    if ! {
        cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DVELD_BUILD_TESTS=OFF \
            -DVELD_BUILD_BENCH=ON &&
            cmake --build "$build_dir" -j2 --target veld veld-module veldctl veld_bench_floor \
                veld_bench_startup veld_bench_latency veld_bench_write_floor veld_bench_traffic
    } >"$build_log" 2>&1; then
        cat "$build_log" >&2
        rm -f "$build_log"
        exit 1
    fi
    rm -f "$build_log"
fi
bin=$build_dir/bin
veldctl=${veldctl:-$bin/veldctl}

out=$(mktemp -d /tmp/veld-bench-out.XXXXXX)
xvfb_pid=
cleanup() {
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if ((keep)); then
        echo "raw output kept in $out" >&2
    else
        rm -rf "$out"
    fi
}
trap cleanup EXIT

# A private X server on the first free display number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out/display" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
for _ in $(seq 100); do
    display=$(tr -dc 0-9 <"$out/display")
    [[ -n $display ]] && break
    sleep 0.1
done
if [[ -z $display ]]; then
    echo "Xvfb did not start:" >&2
    cat "$out/xvfb.log" >&2
    exit 1
fi
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$out/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER

value() { # value FILE KEY
    local v
    v=$(grep -m1 "^$2=" "$1" | cut -d= -f2-)
    echo "${v:-nan}"
}
calc() { awk "BEGIN { printf \"$1\", $2 }"; }
verdict() { awk "BEGIN { print (($1) ? \"yes\" : \"**no**\") }"; }
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "nan" }'; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "== start-up, footprint: $runs runs each; idle: $idle_runs x ${idle_seconds} s" >&2
set +e
"$bin/veld_bench_startup" --app "veld=$bin/veld" --app "floor=$bin/veld_bench_floor" \
    --idle-app "floor_clock=$bin/veld_bench_floor --clock" \
    --runs "$runs" --idle-seconds "$idle_seconds" --idle-runs "$idle_runs" \
    >"$out/startup.txt" 2>"$out/startup.log"
startup_status=$?
echo "== click to wire: $clicks clicks; receive to screen: $messages messages" >&2
"$bin/veld_bench_latency" --clicks "$clicks" --text-clicks "$text_clicks" \
    --messages "$messages" >"$out/latency.txt" 2>"$out/latency.log"
latency_status=$?
echo "== write calls per frame, under strace: $trace_clicks + $trace_clicks clicks" >&2
strace -f -qq -xx -s 64 -e trace=write,writev,pwrite64,pwritev -o "$out/write.trace" \
    "$bin/veld_bench_latency" --clicks "$trace_clicks" --text-clicks "$text_clicks" \
    --messages 0 >"$out/traced.txt" 2>"$out/traced.log"
traced_status=$?
echo "== traffic window: one line at $traffic_samples samples; a ${flood_seconds} s flood of long lines" >&2
"$bin/veld_bench_traffic" --samples "$traffic_samples" --flood-seconds "$flood_seconds" \
    >"$out/traffic.txt" 2>"$out/traffic.log"
traffic_status=$?
echo "== veldctl: $cli_runs runs of 'text 12' against the write floor, on the virtual module" >&2
# Wall time of each run, the two programs taking turns; the module's end of
# the pty reads what they write. Settings of its own, so no stored port counts.
XDG_CONFIG_HOME=$out/config "$bin/veld-module" --headless --link "$out/veld" \
    >"$out/module.log" 2>&1 &
module_pid=$!
for _ in $(seq 100); do
    [[ -e $out/veld ]] && break
    sleep 0.1
done
cli_status=0
for _ in $(seq "$cli_runs"); do
    for program in veldctl floor; do
        if [[ $program == veldctl ]]; then
            command=("$veldctl" --port "$out/veld" text 12)
        else
            command=("$bin/veld_bench_write_floor" "$out/veld" 12)
        fi
        start=$EPOCHREALTIME
        XDG_CONFIG_HOME=$out/config "${command[@]}" 2>>"$out/cli.log" || cli_status=$?
        echo "$(calc %.3f "($EPOCHREALTIME - $start) * 1000")" >>"$out/cli.$program.txt"
    done
done
echo "== veldctl flash: $cli_runs runs through a panel that holds the port, $cli_runs direct" >&2
# Two virtual modules: one held by a panel (veld --port), one free. The runs
# take turns; each run's wall time, start to exit.
XDG_CONFIG_HOME=$out/config "$bin/veld-module" --headless --link "$out/veld2" \
    >"$out/module2.log" 2>&1 &
module2_pid=$!
XDG_CONFIG_HOME=$out/config "$bin/veld" --port "$out/veld" >"$out/panel.log" 2>&1 &
panel_pid=$!
for _ in $(seq 100); do
    [[ -e $out/veld2 ]] && compgen -G "$XDG_RUNTIME_DIR/veld/*.sock" >/dev/null && break
    sleep 0.1
done
for _ in $(seq "$cli_runs"); do
    for way in panel direct; do
        [[ $way == panel ]] && port=$out/veld || port=$out/veld2
        start=$EPOCHREALTIME
        XDG_CONFIG_HOME=$out/config "$veldctl" --port "$port" flash 2>>"$out/cli.log" ||
            cli_status=$?
        echo "$(calc %.3f "($EPOCHREALTIME - $start) * 1000")" >>"$out/flash.$way.txt"
    done
done
kill "$panel_pid" "$module2_pid" "$module_pid" 2>/dev/null || true
wait "$panel_pid" "$module2_pid" "$module_pid" 2>/dev/null || true
set -e
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
for f in startup latency traced traffic cli; do
    status_var=${f}_status
    if ((${!status_var} != 0)); then
        echo "warning: $f run exited with ${!status_var}; its log:" >&2
        tail -n 20 "$out/$f.log" >&2
    fi
done


s=$out/startup.txt
l=$out/latency.txt
t=$out/traced.txt
start_veld=$(value "$s" startup.veld.median_ms)
start_floor=$(value "$s" startup.floor.median_ms)
start_ratio=$(calc %.2f "$start_veld / $start_floor")
start_cpu_veld=$(value "$s" startup.veld.median_cpu_ms)
start_cpu_floor=$(value "$s" startup.floor.median_cpu_ms)
start_wait_veld=$(value "$s" startup.veld.median_wait_ms)
start_wait_floor=$(value "$s" startup.floor.median_wait_ms)
rss_veld=$(value "$s" rss.veld.median_kb)
rss_floor=$(value "$s" rss.floor.median_kb)
rss_extra=$(calc %.1f "($rss_veld - $rss_floor) / 1024")
idle_veld=$(value "$s" idle.veld.median_pct)
idle_floor=$(value "$s" idle.floor.median_pct)
idle_veld_sched=$(value "$s" idle.veld.median_sched_pct)
idle_floor_sched=$(value "$s" idle.floor.median_sched_pct)
idle_clock=$(value "$s" idle.floor_clock.median_pct)
idle_clock_sched=$(value "$s" idle.floor_clock.median_sched_pct)
idle_cpu_ms=$(calc %.0f "$idle_veld / 100 * $idle_seconds * 1000")

# Every write-family call on the serial port's descriptor, from the trace:
# how many, and how many of them carried one whole frame (FE ... FF, all bytes
# written). Start-up frames are in the trace too.
serial_fd=$(value "$t" serial.fd)
frames_expected=$(($(value "$t" frames.clicks) + $(value "$t" frames.startup)))
read -r writes whole_frames < <(awk -v fd="$serial_fd" '
    match($0, "(write|writev|pwrite64|pwritev)\\(" fd ", ") {
        n++
        if ($0 ~ "^[0-9]+ +write\\(" fd ", \"\\\\xfe([^\"]*)\\\\xff\", [0-9]+\\) *= [0-9]+$") {
            split($0, a, ", "); len = a[length(a)]; sub(/\).*/, "", len)
            ret = $0; sub(/.*= /, "", ret)
            if (len == ret) whole++
        }
    }
    END { print n + 0, whole + 0 }' "$out/write.trace")

click_med=$(value "$l" click.median_ms)
click_p99=$(value "$l" click.p99_ms)
click_own_p99=$(value "$l" click.own.p99_ms)
call_med=$(value "$l" call.median_ms)
call_p99=$(value "$l" call.p99_ms)
split=$(value "$l" frames.split)
wrong=$(value "$l" frames.wrong)
recv_n=$(value "$l" receive.count)
recv_missed=$(value "$l" receive.missed)
recv_med=$(value "$l" receive.paint.median_ms)
recv_p99=$(value "$l" receive.paint.p99_ms)
recv_min=$(value "$l" receive.paint.min_ms)
recv_max=$(value "$l" receive.paint.max_ms)
text_max=$(value "$l" receive.text.max_ms)
period=$(value "$l" timer1.interval_ms)
gap_min=$(value "$l" timer1.gap.min_ms)
gap_max=$(value "$l" timer1.gap.max_ms)
slack_ms=5
tr=$out/traffic.txt
line_few=$(value "$tr" line.few.cpu_ms)
line_many=$(value "$tr" line.many.cpu_ms)
line_screen=$(value "$tr" line.screen.cpu_ms)
line_ratio=$(calc %.2f "$line_many / $line_few")
stall_max=$(value "$tr" stall.max_ms)
flood_pct=$(value "$tr" flood.cpu_pct)
cli_veldctl=$(median "$out/cli.veldctl.txt")
cli_floor=$(median "$out/cli.floor.txt")
flash_panel=$(median "$out/flash.panel.txt")
flash_direct=$(median "$out/flash.direct.txt")

cpu_model=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo unknown)
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
# Tracked files that differ from the commit (README.md is this script's own output).
dirty=$(git status --porcelain --untracked-files=no 2>/dev/null | cut -c4- |
    { grep -vx README.md || true; } | paste -sd, - | sed 's/,/, /g')
[[ -n $dirty ]] && dirty=" plus uncommitted changes in $dirty"

table=$out/table.md
{
    echo "Benchmark: \`bench/run.sh\` builds in Release into \`build-bench/\`, starts its own Xvfb and"
    echo "prints this table (about 9 minutes; \`--quick\` about 2; \`--readme\` writes it here). It"
    echo "is not part of ctest or CI. The floor (\`bench/floor/\`) is a bare Qt 6 QMainWindow"
    echo "with a menu bar and the panel's 723 × 568 client area; for \`veldctl\` it is"
    echo "\`bench/floor/WriteFloor.cpp\` (open, set the line, write, drain, restore). Methods"
    echo "and causes of missed targets are in \`bench/README.md\`."
    echo
    echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') at commit $commit$dirty;"
    echo "\`nproc\` $(nproc), $cpu_model, Qt $qt_version; load average $load_before before"
    echo "and $load_after after (other work on the machine). Command: \`$command_line\`"
    echo
    echo "| Figure | veld | floor | against the floor | target | met |"
    echo "| --- | --- | --- | --- | --- | --- |"
    echo "| Start-up, process start to window mapped (median of $runs) | $(calc %.1f "$start_veld") ms | $(calc %.1f "$start_floor") ms | ${start_ratio} × | ≤ 1.3 × floor | $(verdict "$start_veld <= 1.3 * $start_floor") |"
    echo "| — CPU time of all its threads up to the map, from schedstat | $(calc %.1f "$start_cpu_veld") ms | $(calc %.1f "$start_cpu_floor") ms | $(calc %.2f "$start_cpu_veld / $start_cpu_floor") × | (diagnostic) | |"
    echo "| — time its threads waited for a CPU up to the map (machine load), from schedstat | $(calc %.1f "$start_wait_veld") ms | $(calc %.1f "$start_wait_floor") ms | | (diagnostic) | |"
    echo "| Footprint, VmRSS 1 s after mapping (median of $runs) | $(calc %.1f "$rss_veld / 1024") MB | $(calc %.1f "$rss_floor / 1024") MB | +${rss_extra} MB | ≤ floor + 10 MB | $(verdict "$rss_veld - $rss_floor <= 10 * 1024") |"
    echo "| Idle cost, utime+stime over ${idle_seconds} s, port open (median of $idle_runs) | $(calc %.3f "$idle_veld") % ($idle_cpu_ms ms) | $(calc %.3f "$idle_floor") % | floor with a 500 ms clock label: $(calc %.3f "$idle_clock") % | < 0.1 % of one core | $(verdict "$idle_veld < 0.1") |"
    echo "| Idle cost, every thread's run time from schedstat | $(calc %.3f "$idle_veld_sched") % | $(calc %.3f "$idle_floor_sched") % | floor with a 500 ms clock label: $(calc %.3f "$idle_clock_sched") % | (same, finer clock) | $(verdict "$idle_veld_sched < 0.1") |"
    echo "| Click to wire, mouse release to frame at the module end ($(value "$l" click.count) clicks) | median $(calc %.3f "$click_med") ms, p99 $(calc %.3f "$click_p99") ms | | | p99 < 2 ms | $(verdict "$click_p99 < 2") |"
    echo "| — the same less the thread's run-queue wait | median $(calc %.3f "$(value "$l" click.own.median_ms)") ms, p99 $(calc %.3f "$click_own_p99") ms | | | (diagnostic) | |"
    echo "| — QAbstractButton::click() to frame, no repaint | median $(calc %.3f "$call_med") ms, p99 $(calc %.3f "$call_p99") ms | | | (diagnostic) | |"
    echo "| One write per frame: write calls on the port under strace | $writes writes for $frames_expected frames, $whole_frames whole frames | | | one write per frame | $(verdict "$writes == $frames_expected && $whole_frames == $frames_expected") |"
    echo "| — frames read whole at the module end right after each click | $split split, $wrong wrong of $(value "$l" frames.clicks) | | | 0 and 0 | $(verdict "$split == 0 && $wrong == 0") |"
    echo "| Receive to screen, message written to lblCounter painted ($recv_n messages, $recv_missed missed) | median $(calc %.1f "$recv_med") ms, p99 $(calc %.1f "$recv_p99") ms, range $(calc %.1f "$recv_min")–$(calc %.1f "$recv_max") ms | | | within $period + $slack_ms ms | $(verdict "$recv_missed == 0 && $recv_max <= $period + $slack_ms") |"
    echo "| — to the text set by the Timer1 tick; tick gaps | max $(calc %.1f "$text_max") ms; gaps $(calc %.1f "$gap_min")–$(calc %.1f "$gap_max") ms | | | (diagnostic) | |"
    echo "| Traffic window, CPU time of one new 4 KB line laid out and painted, at $(value "$tr" line.few.lines) and at $(value "$tr" line.many.lines) lines of 4 KB (median of $traffic_samples) | $(calc %.2f "$line_few") ms and $(calc %.2f "$line_many") ms | | ${line_ratio} × | ≤ 2 × | $(verdict "$line_many <= 2 * $line_few") |"
    echo "| — the same at $(value "$tr" line.screen.lines) lines (more than the window shows: the view scrolls, its scroll bar repaints); fastest samples at 10, 40 and 5,000 | $(calc %.2f "$line_screen") ms; $(calc %.2f "$(value "$tr" line.few.min_cpu_ms)"), $(calc %.2f "$(value "$tr" line.screen.min_cpu_ms)") and $(calc %.2f "$(value "$tr" line.many.min_cpu_ms)") ms | | $(calc %.2f "$line_many / $line_screen") × (5,000 against 40) | (diagnostic) | |"
    echo "| — $(value "$tr" stall.lines) lines of 4 KB arriving 20 at a time: longest pass of the event loop | $(calc %.1f "$stall_max") ms | | | ≤ 100 ms | $(verdict "$stall_max <= 100") |"
    echo "| — the panel with the window open at $(value "$tr" flood.lines) lines, a ${flood_seconds} s flood of 1,200 garbage bytes (3.6 KB of hex) every 500 ms: CPU share | $(calc %.2f "$flood_pct") % | | | < 10 % of one core | $(verdict "$flood_pct < 10") |"
    echo "| veldctl, \`veldctl --port PTY text 12\` start to exit, on the virtual module (median of $cli_runs) | $(calc %.1f "$cli_veldctl") ms | $(calc %.1f "$cli_floor") ms | $(calc %.1f "$cli_veldctl / $cli_floor") × | ≤ 10 ms and ≤ 8 × floor | $(verdict "$cli_veldctl <= 10 && $cli_veldctl <= 8 * $cli_floor") |"
    echo "| veldctl through a running panel, \`veldctl --port PTY flash\` start to exit, the panel holding PTY; floor: the same run direct on a free pty (median of $cli_runs each) | $(calc %.1f "$flash_panel") ms | $(calc %.1f "$flash_direct") ms | $(calc %.2f "$flash_panel / $flash_direct") × | no slower than direct | $(verdict "$flash_panel <= $flash_direct") |"
} >"$table"

cat "$table"

if ((readme)); then
    begin='<!-- benchmark-table:begin -->'
    end='<!-- benchmark-table:end -->'
    if ! grep -qF "$begin" README.md || ! grep -qF "$end" README.md; then
        echo "README.md lacks the benchmark markers" >&2
        exit 1
    fi
    awk -v begin="$begin" -v end="$end" -v table="$table" '
        $0 == begin { print; while ((getline line < table) > 0) print line; skip = 1; next }
        $0 == end { skip = 0 }
        !skip { print }' README.md >"$out/README.md"
    cat "$out/README.md" >README.md
    echo "table written into README.md" >&2
fi
if ((startup_status || latency_status || traced_status || traffic_status || cli_status)); then
    exit 1
fi

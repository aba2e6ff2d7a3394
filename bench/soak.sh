#!/usr/bin/env bash
# Soak run: the real panel (bench/soak/SoakDriver.cpp, offscreen) against the
# virtual module (veld-module --headless) for a set time, the module driven
# hard from its console: button presses, temperatures, counter events and
# counter resets every few milliseconds, while the panel polls the temperature
# on its own Timer2 and clicks its buttons. Samples the panel's RSS and CPU
# once a second from /proc and reports growth and tick lateness.
#
#   bench/soak.sh [minutes] [output-folder]      # default 30 minutes, build-soak/run
#
# Targets: RSS growth at most 1 MB (1024 kB) over the run, and no tick of the
# panel's Timer1 later than 100 ms past its period. Exit status 1 when a target
# is missed, the panel shows a message box or loses its port, or either
# program dies.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
minutes=${1:-30}
out=${2:-build-soak/run}
seconds=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')

warmup=$((seconds / 10 < 60 ? seconds / 10 : 60)) # RSS baseline taken after this

mapfile -t bench_packages < <(grep -v '^\s*\(#\|$\)' bench/packages.txt)
scripts/install-deps.sh "${bench_packages[@]}"
# The driver is built in build-soak/ (Release). The module is $VELD_MODULE,
# else build/bin/veld-module, else the one built in build-soak/ with the driver.
cmake -S bench/soak -B build-soak -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-soak -j"$(nproc)" --target veld_soak_driver veld-module >/dev/null
module=${VELD_MODULE:-build/bin/veld-module}
[[ -x $module ]] || module=build-soak/bin/veld-module
driver=build-soak/bin/veld_soak_driver

mkdir -p "$out"
rm -f "$out"/*
mkfifo "$out/module.in"

pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT

# The module: commands in through a FIFO held open by this shell on fd 7.
"$module" --headless <"$out/module.in" >"$out/module.out" 2>"$out/module.err" &
module_pid=$!
pids+=("$module_pid")
exec 7>"$out/module.in"
for _ in $(seq 100); do
    [[ -s $out/module.out ]] && break
    sleep 0.05
done
device=$(head -n 1 "$out/module.out")
[[ $device == /dev/* ]] || { echo "veld-module gave no device: $device" >&2; exit 1; }

QT_QPA_PLATFORM=offscreen "$driver" --device "$device" --seconds "$seconds" \
    >"$out/driver.out" 2>"$out/driver.err" &
panel_pid=$!
pids+=("$panel_pid")

# The module's inputs: a burst of commands every 5 ms.
(
    i=0
    while kill -0 "$panel_pid" 2>/dev/null; do
        i=$((i + 1))
        b="button $((i % 3 + 1))" c=count t="temp $((i % 166 - 40))"
        # The panel decodes the message that leads each read: vary which one leads.
        case $((i % 4)) in
        0) printf '%s\n%s\n%s\n' "$c" "$b" "$t" ;;
        1) printf '%s\n%s\n%s\n' "$b" "$c" "$t" ;;
        2) printf '%s\n%s\n' "$c" "$t" ;;
        3) printf '%s\n%s\n%s\n' "$t" "$b" "$c" ;;
        esac >&7
        if ((i % 500 == 0)); then echo reset-counter >&7; fi
        sleep 0.005
    done
) &
pids+=($!)

# Once a second: RSS (kB) from status, CPU (utime + stime, clock ticks) from stat.
hz=$(getconf CLK_TCK)
echo "t_s rss_kb cpu_ticks module_rss_kb" >"$out/samples.txt"
start=$SECONDS
while kill -0 "$panel_pid" 2>/dev/null; do
    t=$((SECONDS - start))
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$panel_pid/status" 2>/dev/null || echo 0)
    cpu=$(awk '{ print $14 + $15 }' "/proc/$panel_pid/stat" 2>/dev/null || echo 0)
    mrss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$module_pid/status" 2>/dev/null || echo 0)
    if [[ -n $rss && $rss != 0 ]]; then echo "$t $rss $cpu $mrss" >>"$out/samples.txt"; fi
    sleep 1
done
driver_status=0
wait "$panel_pid" || driver_status=$?
echo quit >&7
exec 7>&-

module_alive=yes
kill -0 "$module_pid" 2>/dev/null || module_alive=no

# RSS: median of the first minute after warm-up against the median of the last
# minute; the peak too.
report=$(awk -v warm="$warmup" -v hz="$hz" '
    NR == 1 { n = 0; next }
    { t[n] = $1; rss[n] = $2; cpu[n] = $3; mrss[n] = $4; n++ }
    function median(a, from, to,    k, m, v, i, j, tmp) {
        m = 0
        for (k = from; k < to; k++) v[m++] = a[k]
        for (i = 1; i < m; i++) { tmp = v[i]; for (j = i - 1; j >= 0 && v[j] > tmp; j--) v[j + 1] = v[j]; v[j + 1] = tmp }
        return m ? v[int(m / 2)] : 0
    }
    END {
        if (n < 3) { print "samples " n; exit }
        s = 0; while (s < n && t[s] < warm) s++
        if (s >= n - 1) s = 0
        w = 60; if (w > (n - s) / 2) w = int((n - s) / 2); if (w < 1) w = 1
        base = median(rss, s, s + w); last = median(rss, n - w, n)
        peak = 0; for (k = s; k < n; k++) if (rss[k] > peak) peak = rss[k]
        secs = t[n - 1] - t[0]; if (secs < 1) secs = 1
        printf "samples %d\nrss_kb_start %d\nrss_kb_after_warmup %d\nrss_kb_end %d\nrss_kb_peak %d\n", n, rss[0], base, last, peak
        printf "rss_growth_kb %d\n", last - base
        printf "cpu_percent_avg %.1f\n", 100 * (cpu[n - 1] - cpu[0]) / hz / secs
        printf "module_rss_kb_start %d\nmodule_rss_kb_end %d\n", mrss[0], mrss[n - 1]
    }' "$out/samples.txt")

frames=$(grep -c '^rx' "$out/module.out" || true)
messages=$(grep -c '^tx' "$out/module.out" || true)

{
    echo "soak: ${minutes} min, panel pid $panel_pid on $device, module $module (warm-up ${warmup}s)"
    echo "$report"
    cat "$out/driver.out"
    echo "module_frames_heard $frames"
    echo "module_messages_sent $messages"
    echo "module_alive_at_end $module_alive"
    echo "driver_exit $driver_status"
} | tee "$out/report.txt"

growth=$(awk '/^rss_growth_kb/ { print $2 }' "$out/report.txt")
late=$(awk '/^ticks_late_over_100ms/ { print $2 }' "$out/report.txt")
verdict=pass
if [[ $driver_status != 0 || $module_alive != yes || -z $growth || -z $late ]]; then verdict=fail; fi
if [[ -n $growth ]] && ((growth > 1024)); then verdict=fail; fi
if [[ -n $late ]] && ((late > 0)); then verdict=fail; fi
echo "verdict $verdict (targets: rss_growth_kb <= 1024, ticks_late_over_100ms = 0)" | tee -a "$out/report.txt"
[[ $verdict == pass ]]

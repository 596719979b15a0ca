#!/bin/bash
# What the running tray costs, beside a second tray program on the same machine: the time from
# start to the first title in the tray, then with the panel closed, open and closed again, resident
# memory, CPU time (its own and its children's) and context switches per minute, on a
# discharging and on a charging machine. Both run under a headless X server with an XEmbed tray
# host, each in a mount namespace of its own that puts the fixture machine's power supplies over
# /sys/class/power_supply.
#   bench/idle_cost.sh [SECONDS A PHASE] [-- COMMAND...]
# The second program is bench/tray_floor (the least a Qt tray item with a window costs) unless a
# COMMAND is given.
#
# CPU time is exact: each program runs under `perf stat -e task-clock -I`, whose counter its
# children inherit from the start, and the phase sums perf's intervals. (`perf stat -p PID`,
# attached to a running process, loses most of its children's time on some kernels, so the
# program is started under perf instead.) Its own share is its CPU clock; the rest is its
# children's.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
[ "${1:-}" = -- ] && shift
. "$top/bench/bench_build.sh"
program=${BATTERY_MONITOR:-$bin/battery-monitor}
if [ $# -gt 0 ]; then other=("$@") other_name=$(basename "$1"); else other=("$bin/tray_floor") other_name="tray_floor"; fi
machines=(laptop-discharging laptop-charging)
command -v perf >/dev/null || { echo "idle_cost.sh needs perf (Debian's linux-perf)" >&2; exit 1; }

. "$top/scripts/lib/headless_desktop.sh"
start_headless_desktop 95

# Without root, a user namespace of our own lends the right to mount.
namespace=(--mount --propagation private)
[ "$(id -u)" -eq 0 ] || namespace+=(--user --map-root-user)
# Starts the program under perf; `pid` is the program's (unshare and sh exec into it), `counter`
# perf's, writing an interval every 0.1 s to `counts`.
launch() {
    counts=$work/counts.$RANDOM
    : >"$counts"
    perf stat -I 100 -x, -e task-clock -o "$counts" -- unshare "${namespace[@]}" \
        sh -c 'mount --bind "$0" /sys/class/power_supply && exec "$@"' "$work/power_supply" "$@" >/dev/null 2>&1 &
    counter=$!
    pids+=($counter)
    pid=
    until [ -n "$pid" ]; do pid=$(pgrep -P "$counter" || true); sleep 0.01; done
}

# A title is drawn once the docked icon shows more than a background and a frame.
titled() {
    local icon
    icon=$(window_of "$pid" icon)
    [ -n "$icon" ] || return 1
    [ "$(import -window "$icon" png:- 2>/dev/null | identify -format '%k' - 2>/dev/null || echo 0)" -gt 2 ]
}

# The first title, then a phase with the panel closed, one with it open and one with it closed
# again; prints
# "label value" lines for the table.
measure() {
    local start end
    start=$(date +%s%N)
    launch "$@"
    end=$((SECONDS + 30))
    until titled; do
        [ $SECONDS -lt $end ] || { echo "$1: no title in the tray after 30 s" >&2; return 1; }
        sleep 0.02
    done
    echo "title $((($(date +%s%N) - start) / 1000000))"
    sleep 5 # past start-up: the hardware profile and the first updates
    phase closed
    click_window "$(window_of "$pid" icon)"
    sleep 2
    if [ -n "$(window_of "$pid" panel)" ]; then
        phase open
        # Closed again: what an opening leaves behind.
        click_window "$(window_of "$pid" icon)"
        sleep 2
        [ -n "$(window_of "$pid" panel)" ] || phase reclosed
    else
        echo "$1: a click opened no 320 x 480 window; no figures with the panel open" >&2
    fi
    kill "$pid"
    wait "$counter" 2>/dev/null || true
}

# Waits for perf's next interval and prints where it ends, in seconds since perf started, so that
# a reading taken now lines up with it.
interval_end() {
    local lines
    lines=$(wc -l <"$counts")
    while [ "$(wc -l <"$counts")" -eq "$lines" ]; do sleep 0.002; done
    tail -n 1 "$counts" | cut -d, -f1
}
# The task-clock of the process and all its children in the intervals ending in (from, to], in ns.
counted() { awk -F, -v from="$1" -v to="$2" '$1 + 0 > from && $1 + 0 <= to && $2 ~ /^[0-9.]+$/ { ms += $2 } END { printf "%.0f", ms * 1e6 }' "$counts"; }
# Of the threads alive at each reading; a short-lived thread's switches are not counted.
switches() { cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }

phase() {
    local name=$1 cpu0 cpu1 from to switches0 switches1
    from=$(interval_end) cpu0=$("$bin/process_cpu" "$pid") switches0=$(switches)
    sleep "$seconds"
    to=$(interval_end) cpu1=$("$bin/process_cpu" "$pid") switches1=$(switches)
    local all
    all=$(counted "$from" "$to")
    awk -v n="$name" -v s="$seconds" -v cpu=$((cpu1 - cpu0)) -v c=$((all - (cpu1 - cpu0))) \
        -v w=$((switches1 - switches0)) -v rss="$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")" \
        -v th="$(ls "/proc/$pid/task" | wc -l)" 'BEGIN {
        printf "%s.rss %.1f\n%s.threads %d\n", n, rss / 1024, n, th
        if (c < 0) c = 0 # the two clocks are read a few ms apart: noise of an idle program
        printf "%s.cpu %.4f\n%s.children %.4f\n", n, cpu / 1e9 * 60 / s, n, c / 1e9 * 60 / s
        printf "%s.both %.4f\n%s.switches %.0f\n", n, (cpu + c) / 1e9 * 60 / s, n, w * 60 / s
    }'
}

for machine in "${machines[@]}"; do
# Real folders, not the fixture's links into its own sys/devices, which would point outside the mount.
rm -rf "$work/power_supply"
cp -rL "$top/tests/fixtures/machines/$machine/sys/class/power_supply" "$work/power_supply"
measure "$program" >"$work/ours"
measure "${other[@]}" >"$work/other"

awk -v s="$seconds" -v ours="$(basename "$program")" -v other="$other_name" -v machine="$machine" '
    FNR == NR { a[$1] = $2; next }
    { b[$1] = $2 }
    function shown(value, unit) { return value == "" ? "-" : value " " unit }
    function row(label, key, unit) {
        ratio = a[key] != "" && b[key] > 0 ? sprintf("%.1f", a[key] / b[key]) : "-"
        printf "  %-30s %14s %14s %7s\n", label, shown(a[key], unit), shown(b[key], unit), ratio
    }
    function phase(name, title) {
        print title
        row("resident memory", name ".rss", "MiB")
        row("threads", name ".threads", "")
        row("CPU, the program", name ".cpu", "s/min")
        row("CPU, its children", name ".children", "s/min")
        row("CPU, both", name ".both", "s/min")
        row("context switches", name ".switches", "/min")
    }
    END {
        printf "idle cost on %s, %d s a phase\n", machine, s
        printf "  %-30s %14s %14s %7s\n", "", ours, other, "ratio"
        row("start to first tray title", "title", "ms")
        phase("closed", "panel closed")
        phase("open", "panel open")
        phase("reclosed", "panel closed again")
    }' "$work/ours" "$work/other"
done

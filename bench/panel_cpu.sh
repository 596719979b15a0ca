#!/bin/bash
# What an open panel costs: CPU seconds per second of the program while the panel is open on a
# charging machine (the bolt pulses) and while it is open on a discharging one (nothing moves),
# under a headless X server with an XEmbed tray host.
#   bench/panel_cpu.sh [BATTERY_MONITOR] [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/bench/bench_build.sh"
program=${1:-$bin/battery-monitor}
seconds=${2:-10}

. "$top/scripts/lib/headless_desktop.sh"
start_headless_desktop 96

# All threads' CPU time, also of threads that have ended (the profiler runs' workers).
cpu_ns() { "$bin/process_cpu" "$1"; }

measure() {
    local machine=$1 label=$2
    "$program" --root "$top/tests/fixtures/machines/$machine" >/dev/null 2>&1 &
    local pid=$!
    pids+=($pid)
    sleep 3
    local icon
    icon=$(window_of "$pid" icon)
    [ -n "$icon" ] || { echo "no tray icon for $machine" >&2; return 1; }
    click_window "$icon"
    sleep 2
    local before after
    before=$(cpu_ns "$pid")
    sleep "$seconds"
    after=$(cpu_ns "$pid")
    awk -v label="$label" -v ns=$((after - before)) -v s="$seconds" \
        'BEGIN { printf "%-34s %5.1f %% of one core\n", label, ns / 1e9 / s * 100 }'
    kill "$pid"
}

measure laptop-charging "panel open, charging (pulsing)"
measure two-batteries "panel open, discharging (still)"

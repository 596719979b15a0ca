#!/bin/bash
# What the running tray costs while nobody looks at it: resident memory, CPU time (its own and
# its profiler children's) and context switches over a minute, under a headless X server with
# an XEmbed tray host, on a fixture machine.
#   bench/idle_cost.sh [BATTERY_MONITOR] [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$top/build/bin/battery-monitor}
seconds=${2:-60}
machine=$top/tests/fixtures/machines/laptop-charging

. "$top/tests/e2e/headless_desktop.sh"
start_headless_desktop 95
"$program" --root "$machine" >/dev/null 2>&1 &
pid=$!
pids+=($pid)
sleep 5 # past start-up: the hardware profile and the first updates

ticks=$(getconf CLK_TCK)
# utime+stime and cutime+cstime of /proc/PID/stat, in clock ticks: own and reaped children's CPU.
cpu() { awk -v t="$ticks" '{ sub(/.*\) /, ""); printf "%d %d\n", $12 + $13, $14 + $15 }' "/proc/$pid/stat"; }
# Nanoseconds on the CPU of every thread, finer than clock ticks for a process this idle.
own_ns() { cat /proc/"$pid"/task/*/schedstat | awk '{ n += $1 } END { printf "%d\n", n }'; }
switches() { cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }

read -r _ children0 < <(cpu)
own0=$(own_ns)
switches0=$(switches)
sleep "$seconds"
read -r _ children1 < <(cpu)
own1=$(own_ns)
switches1=$(switches)
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")
threads=$(ls /proc/"$pid"/task | wc -l)

awk -v s="$seconds" -v t="$ticks" -v o=$((own1 - own0)) -v c=$((children1 - children0)) \
    -v w=$((switches1 - switches0)) -v rss="$rss" -v th="$threads" 'BEGIN {
    printf "over %d s, panel closed:\n", s
    printf "  resident memory        %.1f MiB\n", rss / 1024
    printf "  threads                %d\n", th
    printf "  CPU, program           %.4f s/min\n", o / 1e9 * 60 / s
    printf "  CPU, profiler children %.3f s/min\n", c / t * 60 / s
    printf "  context switches       %.0f /min\n", w * 60 / s
}'

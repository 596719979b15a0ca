#!/bin/bash
# What a bar pays for the battery status: one `--status --json --follow` process for a minute
# against `--status --json` run every 10 seconds for the same minute, as bars poll. CPU of each,
# profiler children included (a process's children are counted once it has reaped them), on
# the `laptop-discharging` fixture.
#   bench/follow_cost.sh [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
. "$top/bench/bench_build.sh"
fixture=$top/tests/fixtures/machines/laptop-discharging
ticks=$(getconf CLK_TCK)

# CPU seconds of process $1 and its reaped children, from /proc: utime stime cutime cstime.
cpu_of() { awk -v hz="$ticks" '{ print ($14 + $15 + $16 + $17) / hz }' "/proc/$1/stat"; }

"$bin/battery-monitor" --status --json --follow --power-source sysfs --root "$fixture" >/dev/null &
follower=$!
sleep "$seconds"
follow_cpu=$(cpu_of "$follower")
follow_rss=$(awk '/VmHWM/ { print $2 / 1024 }' "/proc/$follower/status")
kill "$follower"
wait "$follower" 2>/dev/null || true

TIMEFORMAT='%U %S'
polls=$((seconds / 10))
poll_cpu=$( { time (for _ in $(seq "$polls"); do
    "$bin/battery-monitor" --status --json --power-source sysfs --root "$fixture" >/dev/null
    sleep 10
done) ; } 2>&1 | awk '{ print $1 + $2 }')

echo "over $seconds s on laptop-discharging:"
printf '  --status --follow, one process:   %.3f s CPU, peak resident %.1f MiB\n' "$follow_cpu" "$follow_rss"
printf '  --status every 10 s (%d runs):     %.3f s CPU\n' "$polls" "$poll_cpu"
awk -v a="$poll_cpu" -v b="$follow_cpu" 'BEGIN { if (b > 0) printf "  polling costs %.1f times as much\n", a / b }'

#!/bin/bash
# Endurance: the real tray for a while on a machine that keeps changing, with a profiler that
# hangs, floods, fails and prints junk, and one that sometimes cannot start. Afterwards the
# program must still run, follow the battery, and hold no more threads, descriptors, children
# or memory than a fresh one.
#   soak.sh BATTERY_MONITOR FIXTURE_MACHINE PROFILERS_DIR [SECONDS]
set -euo pipefail
program=$1
fixture=$2
profilers=$3
seconds=${4:-60}

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"
copy_machine "$fixture"
mkdir -p "$work/state"
cp "$profilers/flaky" "$work/profiler"
export FLAKY_STATE=$work/state

start_headless_desktop 110
"$program" --root "$machine" --profiler "$work/profiler" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
sleep 3

# What the program holds at rest, and later.
threads() { ls "/proc/$program_pid/task" | wc -l; }
descriptors() { ls "/proc/$program_pid/fd" | wc -l; }
children() { ps -o pid= --ppid "$program_pid" | wc -l; }
zombies() { ps -o stat= --ppid "$program_pid" | grep -c Z || true; }
rss_kib() { awk '/VmRSS/ { print $2 }' "/proc/$program_pid/status"; }
fds_at_start=$(descriptors)
rss_at_start=$(rss_kib)

icon_window() { window_of "$program_pid" icon; }

end=$((SECONDS + seconds))
round=0
while [ $SECONDS -lt $end ]; do
    round=$((round + 1))
    case $((round % 8)) in
    0) echo Charging >"$battery/status"; echo $((RANDOM % 101)) >"$battery/capacity" ;;
    1) echo Discharging >"$battery/status"; echo $((RANDOM % 101)) >"$battery/capacity" ;;
    2) mv "$battery" "$work/removed-battery" ;;               # taken out
    3) mv "$work/removed-battery" "$battery" ;;               # put back
    4) printf '\377garbage\n' >"$battery/capacity" ;;
    5) : >"$battery/status"; : >"$battery/capacity" ;;
    6) chmod -x "$work/profiler" ;;                           # cannot start
    7) chmod +x "$work/profiler"; echo $((RANDOM % 101)) >"$battery/capacity"; echo Discharging >"$battery/status" ;;
    esac
    # Opening the panel refreshes at once; the tick refreshes every ten seconds.
    if [ $((round % 3)) -eq 0 ] && icon=$(icon_window) && [ -n "$icon" ]; then
        click_window "$icon"
    fi
    sleep 2
done

# A last, sane state: the tray must come to show it.
chmod +x "$work/profiler"
[ -d "$battery" ] || mv "$work/removed-battery" "$battery"
echo 7 >"$battery/capacity"
echo Discharging >"$battery/status"
kill -0 "$program_pid" 2>/dev/null || fail "the program died; its log: $(tail -n 5 "$work/program.log")"
icon=$(icon_window)
[ -n "$icon" ] || fail "no tray icon"
eval "$(xdotool getwindowgeometry --shell "$icon")"
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"; }
shot "$work/before.png"
sleep 12 # one tick
shot "$work/after-tick.png"
sleep 11
shot "$work/after-two-ticks.png"
compare -metric AE "$work/after-tick.png" "$work/after-two-ticks.png" null: 2>/dev/null \
    || fail "the icon still changes after the battery settled"

# Runs still in flight may hold a hanging child until its time limit: let them end.
sleep 31
[ "$(zombies)" -eq 0 ] || fail "$(zombies) zombie children"
[ "$(children)" -le 1 ] || fail "$(children) children still running"
[ "$(threads)" -le 6 ] || fail "$(threads) threads"
[ "$(descriptors)" -le $((fds_at_start + 4)) ] || fail "descriptors grew from $fds_at_start to $(descriptors)"
[ "$(rss_kib)" -le $((rss_at_start + 20480)) ] || fail "memory grew from $rss_at_start to $(rss_kib) KiB"
runs=$(cat "$work/state/runs")
echo "PASS: $round rounds, $runs profiler runs; $(threads) threads, $(descriptors) descriptors (from $fds_at_start), RSS $(rss_kib) KiB (from $rss_at_start)"

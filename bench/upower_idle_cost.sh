#!/bin/bash
# What reading UPower costs the idle tray beside reading sysfs: bench/idle_cost.sh with the tray
# under `--power-source upower` (python-dbusmock's UPower, a charging laptop at 72 %, on a bus of
# its own standing for the system bus) against the same tray under `--power-source sysfs`.
# The mock sends no signals while idle, as a daemon on mains power with a full battery.
#   bench/upower_idle_cost.sh [SECONDS A PHASE]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
. "$top/bench/bench_build.sh"
. "$top/scripts/lib/headless_desktop.sh"

start_system_bus
start_upower_mock
upower_display_device 2 72.0 1 true

# idle_cost.sh starts the program with no arguments.
printf '#!/bin/sh\nexec %q --power-source upower "$@"\n' "$bin/battery-monitor" >"$work/battery-monitor-upower"
chmod +x "$work/battery-monitor-upower"
BATTERY_MONITOR=$work/battery-monitor-upower "$top/bench/idle_cost.sh" "$seconds" -- "$bin/battery-monitor" --power-source sysfs

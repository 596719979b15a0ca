#!/bin/bash
# The program against UPower's D-Bus interface without hardware: python-dbusmock's UPower on a
# bus of the test's own that stands for the system bus. The level, charging and power source
# come from the display device; peripherals and UPSes never decide the level; bad values give a
# placeholder, not a crash; a daemon that hangs or goes away gives sysfs with `auto` and a
# one-line error with `--power-source upower` (the tray reads sysfs instead and keeps running);
# a daemon that comes back is read again. The backend's change signals and its switching back and
# forth inside one process are tested in dbus_test.
#   upower_e2e.sh BATTERY_MONITOR
set -euo pipefail
program=$1

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"

start_system_bus
unset DBUS_SESSION_BUS_ADDRESS
start_daemon() { start_upower_mock; daemon=$upower_daemon; }
stop_daemon() {
    kill "$daemon"
    wait "$daemon" 2>/dev/null || true
    eventually 5 eval '! upower_on_bus' || fail "the mock daemon did not go"
}
display_device() { upower_display_device "$1" "$2" 1 "$3"; }
# Sets a display device property to a D-Bus value as dbus-send writes it (double:nan, string:full).
set_display() {
    dbus-send --system --print-reply=literal --dest=org.freedesktop.UPower /org/freedesktop/UPower/devices/DisplayDevice \
        org.freedesktop.DBus.Properties.Set string:org.freedesktop.UPower.Device "string:$1" "variant:$2" >/dev/null
}

status() { timeout 10 "$program" --status --json "$@" 2>"$work/err"; }
# Whether `status ARGS...` printed every "key": value given before the `--`.
expect() {
    local fields=()
    while [ "$1" != -- ]; do fields+=("$1"); shift; done
    shift
    json=$(status "$@") || fail "--status $* failed: $(cat "$work/err")"
    for field in "${fields[@]}"; do
        [[ $json == *"$field"* ]] || fail "--status $* printed no $field: $json"
    done
}

start_daemon
display_device 2 72.5 true
upower_on_battery false
expect '"percentage": 73' '"isCharging": true' '"powerSource": "Alimentatore"' -- --power-source upower
expect '"percentage": 73' -- # auto finds the daemon
upower_on_battery true
expect '"powerSource": "Batteria"' --

# Peripherals and a UPS, low and full, and the laptop's own battery, which the display device stands for.
upower_add_device mouse mouse 5 4 1
upower_add_device ups ups 3 100 1
upower_add_device BAT0 BAT0 2 10 1 true
expect '"percentage": 73' --
# A desktop: no battery in the display device; the mouse still does not decide the level.
display_device 0 0.0 false
expect '"percentage": 0' '"isCharging": false' --

display_device 2 64.0 true
set_display Percentage double:nan
expect '"percentage": 0' --
set_display Percentage string:full
set_display State string:charging
expect '"percentage": 0' '"isCharging": false' --
set_display Percentage double:-3
expect '"percentage": 0' --

# A hung daemon: the name stays, nothing answers.
sysfs=$(status --power-source sysfs) || fail "--power-source sysfs failed"
kill -STOP "$daemon"
start=$SECONDS
! status --power-source upower >/dev/null || fail "--power-source upower succeeded with a hung daemon"
[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "^battery-monitor: UPower does not answer" "$work/err" || fail "not one clear line: $(cat "$work/err")"
[ "$(status)" = "$sysfs" ] || fail "auto with a hung daemon did not read sysfs"
[ $((SECONDS - start)) -le 8 ] || fail "a hung daemon held --status for $((SECONDS - start)) s"
kill -CONT "$daemon"

# Gone, then back.
stop_daemon
! status --power-source upower >/dev/null || fail "--power-source upower succeeded without a daemon"
[ "$(cat "$work/err")" = "battery-monitor: UPower is not on the system bus" ] || fail "unclear error: $(cat "$work/err")"
[ "$(status)" = "$sysfs" ] || fail "auto without a daemon did not read sysfs"
QT_QPA_PLATFORM=offscreen "$program" --power-source upower >/dev/null 2>"$work/tray.err" &
tray=$!
pids+=($tray)
sleep 2
kill -0 "$tray" || fail "the tray quit without a daemon: $(cat "$work/tray.err")"
grep -q "^battery-monitor: UPower is not on the system bus; reading /sys/class/power_supply instead$" "$work/tray.err" \
    || fail "the tray did not say it reads sysfs: $(cat "$work/tray.err")"
kill "$tray"
start_daemon
display_device 2 55.0 true
expect '"percentage": 55' --
echo "PASS: display device level, charging and source; peripherals never decide; bad values give placeholders; hung and gone daemons give sysfs or one clear line; back again"

#!/bin/bash
# Low-battery warnings as the desktop shows them: the tray on python-dbusmock's UPower, whose
# display device runs down step by step, and its notification daemon on a session bus of the
# test's own, which logs every call. One low and one critical warning on the way down, the
# critical one replacing the low one, withdrawn on the charger, no second warning while the level
# hovers, one for a peripheral, and none (with one line on standard error) without a server.
#   warnings_e2e.sh BATTERY_MONITOR
set -euo pipefail
program=$1

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"

start_system_bus
start_session_bus
start_upower_mock
# The laptop at PERCENTAGE, discharging (2) or charging (1), judged by the daemon's default
# policy: low at 20 %, critical at 5 %.
battery_at() {
    local level=1
    if [ "$2" = 2 ] && [ "$1" -le 5 ]; then level=4; elif [ "$2" = 2 ] && [ "$1" -le 20 ]; then level=3; fi
    upower_display_device 2 "$1" "$2" true "$level"
}

/usr/bin/python3 -m dbusmock --session --template notification_daemon >/dev/null 2>&1 &
server=$!
pids+=($server)
server_up() { owned session org.freedesktop.Notifications; }
eventually 10 server_up || fail "the mock notification server did not come up"

# The calls the server has had, one per line: (time, 'Notify', [<'Stato Batteria'>, <uint32 0>, ...]).
server_calls() {
    gdbus call --session --dest org.freedesktop.Notifications --object-path /org/freedesktop/Notifications \
        --method org.freedesktop.DBus.Mock.GetCalls | sed 's/), (/)\n(/g' >"$work/notifications.log"
}
calls() { server_calls && { grep -c "$1" "$work/notifications.log" || true; }; }
# Waits a moment for the program, then checks that METHOD (with TEXT) was called COUNT times.
expect_calls() {
    local count=$1 pattern=$2
    eventually 5 eval '[ "$(calls "$pattern")" -ge '"$count"' ]' || true
    sleep 0.5 # and no more than that
    [ "$(calls "$pattern")" -eq "$count" ] || fail "expected $count × $pattern, got: $(cat "$work/notifications.log")"
}

upower_on_battery true
battery_at 50 2
QT_QPA_PLATFORM=offscreen "$program" --power-source upower >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
sleep 1
for level in 40 30 21 20 19 12 6 5 4 3; do
    battery_at "$level" 2
    sleep 0.2
done
expect_calls 1 "'Notify'.*'Batteria scarica'"
expect_calls 1 "'Notify'.*'Batteria quasi esaurita'"
grep "'Notify'.*'Batteria scarica'" "$work/notifications.log" | grep -q "Resta il 20%" || fail "the low warning does not say the level"
# The critical warning replaces the low one: it names the id the server gave the first.
grep "'Notify'.*'Batteria quasi esaurita'" "$work/notifications.log" | grep -q "<'Stato Batteria'>, <uint32 1>" || fail "the critical warning did not replace the low one: $(cat "$work/notifications.log")"

upower_on_battery false
battery_at 3 1
expect_calls 1 "'CloseNotification'"
# Unplugged again before it recovered: hovering near the thresholds warns no more.
upower_on_battery true
for level in 4 5 6 5 4; do
    battery_at "$level" 2
    sleep 0.2
done
expect_calls 2 "'Notify'"

upower_add_device mouse_mx "MX Master" 5 4 2
expect_calls 1 "'Notify'.*'Mouse MX Master: batteria al 4%'"

# Without a server: nothing shown, one line on standard error, the program carries on.
kill "$server"
eventually 5 eval '! server_up' || fail "the mock server did not go"
upower_on_battery false
battery_at 60 1
sleep 0.5
upower_on_battery true
battery_at 15 2
eventually 5 grep -q "no notification server" "$work/program.log" || fail "no word of the missing server: $(cat "$work/program.log")"
battery_at 4 2
sleep 1
[ "$(grep -c "no notification server" "$work/program.log")" -eq 1 ] || fail "the missing server was reported more than once"
kill -0 "$program_pid" || fail "the program did not carry on without a server"
echo "warnings: all as expected"

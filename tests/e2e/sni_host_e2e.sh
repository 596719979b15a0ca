#!/bin/bash
# The tray item in a StatusNotifierItem host: a headless X server, a session bus of its own, a
# standalone SNI tray that brings its own watcher, and an XEmbed tray along the bottom. The item
# must register, show in the SNI host's bar and not in the XEmbed tray, open the panel where the
# host's click says, and dock in the XEmbed tray once the SNI host is gone.
#   sni_host_e2e.sh BATTERY_MONITOR FIXTURE_MACHINE
set -euo pipefail
program=$1
fixture=$2

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"

start_x_server 130
start_session_bus
export NO_AT_BRIDGE=1
# A light bar, so the item's ink (the palette's dark text colour) stands out from it. On a busy
# machine the host now and then dies at start: once more then, as with trayer.
for attempt in 1 2; do
    gtk-sni-tray-standalone --top --end --watcher --size 30 --color '#e0e0e0' >"$work/host.log" 2>&1 &
    sni_host=$!
    pids+=($sni_host)
    eventually 15 owned session org.kde.StatusNotifierWatcher && break
    kill "$sni_host" 2>/dev/null || true
    [ "$attempt" -eq 1 ] || fail "the SNI host started no watcher: $(cat "$work/host.log")"
done
start_xembed_tray --edge bottom

XDG_CURRENT_DESKTOP='' "$program" --root "$fixture" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)

registered() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems \
        2>/dev/null | grep -q "StatusNotifierItem-$program_pid-"
}
eventually 15 registered || fail "the item never registered with the host's watcher"

# The host draws the item at the end of its bar: the part that is not the bar's colour.
item_in_bar() {
    import -window root -crop 1280x30+0+0 +repage "$work/bar.png" || return 1
    read -r item_w item_h item_x item_y < <(convert "$work/bar.png" -fuzz 8% -trim -format '%w %h %X %Y\n' info: 2>/dev/null)
    item_x=${item_x#+} item_y=${item_y#+}
    [ "$item_w" -ge 8 ] && [ "$item_w" -le 64 ] && [ "$item_h" -ge 8 ]
}
eventually 10 item_in_bar || fail "the host's bar shows no item"
echo "item ${item_w}x${item_h} at $item_x,$item_y in the host's bar"

sleep 2 # time enough for a wrongly shown XEmbed icon to dock
! shows "$program_pid" icon || fail "an XEmbed icon docked besides the registered item"

click_x=$((item_x + item_w / 2))
xdotool mousemove "$click_x" $((item_y + item_h / 2)) click 1
eventually 5 panel_open || fail "the host's click did not open the panel"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$program_pid" panel)")"
echo "panel ${WIDTH}x${HEIGHT} at $X,$Y"
[ "$X" -le "$click_x" ] && [ "$click_x" -le $((X + WIDTH)) ] || fail "the panel is not at the click"
xdotool key Escape
eventually 5 panel_closed || fail "Escape did not close the panel"

# The SNI host quits; the XEmbed tray is still there.
kill "$sni_host"
eventually 15 shows "$program_pid" icon || fail "the icon did not move to the XEmbed tray"
kill -0 "$program_pid" || fail "the program is gone"
echo "PASS: registered, shown by the host and not docked twice, opened at the host's click, docked in XEmbed once the host went"

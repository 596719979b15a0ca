#!/bin/bash
# The tray in xfce4-panel, whose systray plugin hosts StatusNotifierItems, with its window
# manager xfwm4 so the work area is real: the panel's own configuration in a scratch
# XDG_CONFIG_HOME (xfconfd, which the session bus starts, reads it). The icon registers and
# reads on the panel; a click opens the panel under the bar at the icon, whole on screen; a
# second click, Escape and a click elsewhere close it; a right click shows the item's menu, whose
# "Aggiorna" refreshes; the icon comes back when the panel restarts.
#   xfce_panel_e2e.sh BATTERY_MONITOR FIXTURE_MACHINE [SCREENSHOT_DIR]
set -euo pipefail
program=$1
fixture=$2
screenshots=${3:-}

here=$(dirname "$0")
. "$here/../../scripts/lib/headless_desktop.sh"
copy_machine "$fixture"
mkdir -p "$work/config/xfce4/xfconf/xfce-perchannel-xml"
cp "$here/xfce/xfce4-panel.xml" "$work/config/xfce4/xfconf/xfce-perchannel-xml/"
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_CURRENT_DESKTOP=XFCE

start_x_server 120
start_desktop_session_bus
xfwm4 >/dev/null 2>&1 &
pids+=($!)
start_panel() {
    xfce4-panel --disable-wm-check >/dev/null 2>&1 &
    panel_pid=$!
    pids+=($panel_pid)
}
start_panel
"$program" --root "$machine" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)

# The bar is 30 high along the top; the tray is at its right end.
bar_height=30
read_icon() { read_bar_icon 60 "$bar_height" $((1280 - 60)) 0; }
eventually 20 read_icon || fail "no icon in the panel's tray: $(cat "$work/program.log")"
eventually 5 eval 'read_icon && legible' || fail "the icon reads at $contrast : 1 on the panel"
echo "icon at $icon_x,$icon_y, contrast $contrast : 1"

click_item() { click "$icon_x" "$icon_y"; }

click_item
eventually 5 panel_open || fail "a click did not open the panel"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$program_pid" panel)")"
echo "panel ${WIDTH}x${HEIGHT} at $X,$Y"
[ "$Y" -ge "$bar_height" ] || fail "the panel covers the bar"
[ $((X + WIDTH)) -le 1280 ] && [ $((Y + HEIGHT)) -le 800 ] || fail "the panel is not whole on screen"
[ $((X + WIDTH)) -ge $((icon_x + 1)) ] && [ "$X" -le "$icon_x" ] || fail "the panel is not at the icon"
[ -z "$screenshots" ] || import -window root "$screenshots/xfce-panel-open.png"
closes_every_way panel_open "300 400 the desktop"

# A right click shows the item's menu; "Aggiorna" reads the battery at once, before the next tick.
icon_picture() { import -window root -crop "24x24+$((icon_x - 12))+$((icon_y - 12))" +repage "$1"; }
icon_picture "$work/before.png"
echo 55 >"$battery/capacity"
sleep 0.5
xdotool mousemove "$icon_x" "$icon_y" click 3
menu_shown() { [ "$(pixel $((icon_x - 40)) $((bar_height + 17)))" != "$(pixel 300 400)" ]; }
eventually 5 menu_shown || fail "a right click showed no menu"
[ -z "$screenshots" ] || import -window root -crop "400x120+880+0" +repage "$screenshots/xfce-panel-menu.png"
xdotool mousemove $((icon_x - 40)) $((bar_height + 17)) click 1
refreshed() { icon_picture "$work/after.png" && ! cmp -s "$work/before.png" "$work/after.png"; }
eventually 5 refreshed || fail "Aggiorna in the menu did not refresh the icon"
panel_closed || fail "Aggiorna in the menu opened the panel"

# The panel restarts: the icon comes back.
kill "$panel_pid"
eventually 10 eval '! read_icon' || fail "the panel did not go"
start_panel
eventually 20 read_icon || fail "the icon did not come back to the restarted panel"
echo "xfce4-panel: all as expected"

#!/bin/bash
# The tray as a user meets it: a headless X server, an XEmbed tray host, the program on a
# fixture machine, mouse clicks and screenshots.
#   tray_e2e.sh BATTERY_MONITOR FIXTURE_MACHINE [SCREENSHOT_DIR]
set -euo pipefail

program=$1
fixture=$2
screenshots=${3:-}

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"
copy_machine "$fixture"

start_x_server 90

# The program first, the tray host later, as when autostart runs before the panel: the program
# says it is waiting for one. Started as a session manager restarts it, with Qt's own option.
"$program" -session e2e-session --root "$machine" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
eventually 10 grep -q "no system tray yet" "$work/program.log" || fail "no word of the missing tray"
start_tray_host() { start_xembed_tray --SetDockType true --transparent false --tint 0x303030; }
start_tray_host

# The icon: a mapped window of ours docked in the host.
icon_window() { window_of "$program_pid" icon; }
docked() { shows "$program_pid" icon; }
not_docked() { ! docked; }
eventually 15 docked || fail "the icon never docked in the tray"
icon=$(icon_window)
eval "$(xdotool getwindowgeometry --shell "$icon")"
icon_x=$X icon_y=$Y icon_w=$WIDTH icon_h=$HEIGHT
echo "icon ${icon_w}x${icon_h} at $icon_x,$icon_y"

icon_shot() { import -window root -crop "${icon_w}x${icon_h}+${icon_x}+${icon_y}" +repage "$1"; }
# Pixels that differ from the tray's background colour.
inked() { convert "$1" -fuzz 10% -fill black -opaque '#303030' -fill white +opaque black -format '%[fx:int(mean*w*h)]' info:; }

# The first update lands one turn after start; the icon then carries symbol and level.
has_ink() { icon_shot "$work/icon.png" && [ "$(inked "$work/icon.png")" -gt 20 ]; }
eventually 10 has_ink || fail "the icon shows nothing"
# In a subshell: the icon's place here is its window's, not the centre it finds.
(read_bar_icon "$icon_w" "$icon_h" "$icon_x" "$icon_y" && legible && echo "contrast $contrast : 1 on trayer") \
    || fail "the icon does not read on the tray"
cp "$work/icon.png" "$work/icon-before.png"

click_item() { click $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2)); }

click_item
eventually 5 panel_open || fail "a click did not open the panel"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$program_pid" panel)")"
echo "panel ${WIDTH}x${HEIGHT} at $X,$Y"
[ "$Y" -ge $((icon_y + icon_h)) ] || fail "the panel is not under the icon"
# The panel shows its views: a blank window would be a handful of colours. The first paint may
# come a moment after the window maps (slowly, under the sanitizers).
panel_x=$X panel_y=$Y
painted() {
    import -window root -crop "320x480+${panel_x}+${panel_y}" +repage "$work/panel.png"
    colours=$(identify -format '%k' "$work/panel.png")
    [ "$colours" -gt 200 ]
}
eventually 5 painted || fail "the panel looks empty ($colours colours)"
[ -n "$screenshots" ] && import -window root -crop 700x540+580+0 +repage "$screenshots/tray-xvfb-open.png"
closes_every_way panel_open "200 600 the desktop"

# The next tick, at most ten seconds away, shows a changed battery.
echo 12 >"$battery/capacity"
changed() { icon_shot "$work/icon.png" && ! compare -metric AE "$work/icon.png" "$work/icon-before.png" null: 2>/dev/null; }
eventually 15 changed || fail "the new level never reached the tray"
[ -n "$screenshots" ] && import -window root -crop 400x40+880+0 +repage "$screenshots/tray-xvfb-icon.png"

# A panel that restarts (an update, a crash) gets the icon back.
kill "$tray_host"
wait "$tray_host" 2>/dev/null || true
eventually 5 not_docked || fail "the icon stayed on screen without a tray host"
start_tray_host
eventually 15 docked || fail "the icon did not come back to a restarted tray host"

kill -0 "$program_pid" || fail "the program is gone"
echo "PASS: docked late, opened, closed by click, click elsewhere and Escape, followed the battery, came back to a new host"

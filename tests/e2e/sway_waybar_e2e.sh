#!/bin/bash
# The tray on sway with waybar, the usual Wayland bar: sway nested in Xvfb through wlroots' X11
# backend (so xdotool on the Xvfb display is a real pointer), waybar with its tray, the program
# through XWayland. The icon registers and reads on waybar's default bar; a click opens the panel
# at the bar's right end, under it and whole on screen; a second click, Escape and a click
# elsewhere close it; the icon comes back when the bar restarts, and reads on a light bar as well.
#   sway_waybar_e2e.sh BATTERY_MONITOR FIXTURE_MACHINE [SCREENSHOT_DIR]
set -euo pipefail
program=$1
fixture=$2
screenshots=${3:-}

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"
copy_machine "$fixture"
start_x_server 110
unset QT_QPA_PLATFORM

start_scene_user

background='#335577'
cat >"$work/sway.conf" <<CONF
xwayland enable
output * bg $background solid_color
default_border none
CONF
cat >"$work/waybar.json" <<'JSON'
{ "layer": "top", "position": "top", "height": 30, "modules-right": ["tray"], "tray": { "icon-size": 22 } }
JSON
cat >"$work/light.css" <<'CSS'
* { font-family: sans-serif; font-size: 13px; }
window#waybar, #tray { background: #f0f0f0; color: #202020; }
CSS

as_user XDG_RUNTIME_DIR="$runtime" DISPLAY="$DISPLAY" XDG_CURRENT_DESKTOP=sway \
    WLR_BACKENDS=x11 WLR_RENDERER=pixman WLR_X11_OUTPUTS=1 \
    dbus-run-session -- sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
socket() { compgen -G "$runtime/sway-ipc.*.sock"; }
eventually 15 socket >/dev/null || fail "sway did not start: $(cat "$work/sway.log")"
sway() { as_user XDG_RUNTIME_DIR="$runtime" SWAYSOCK="$(socket)" swaymsg "$@" >/dev/null; }
start_bar() { sway exec "waybar -c $work/waybar.json $* > $runtime/waybar.log 2>&1"; }
start_bar
sway exec "$program --root $machine > $runtime/program.log 2>&1"

# Sway's output is a 1024 x 768 window at the top left of the X server; the bar is 30 high.
output_width=1024
bar_height=30
is_background() { [ "$(pixel "$1" "$2" | tr a-f A-F)" = "${background^^}" ]; }
# The icon at the bar's right end.
read_icon() { read_bar_icon 40 "$bar_height" $((output_width - 40)) 0; }
eventually 20 read_icon || fail "no icon in waybar's tray: $(cat "$runtime/program.log" 2>&1)"
eventually 5 eval 'read_icon && legible' || fail "the icon reads at $contrast : 1 on waybar's bar"
echo "icon at $icon_x,$icon_y, contrast $contrast : 1 on the dark bar"

click_item() { click "$icon_x" "$icon_y"; }
panel_left=$((output_width - 320))
# Open: the panel at the bar's right end, under the bar, whole on screen, the bar uncovered.
panel_open() {
    ! is_background $((panel_left + 4)) 240 && is_background $((panel_left - 4)) 240 \
        && ! is_background 900 $((bar_height + 4)) && ! is_background 900 $((bar_height + 470))
}
panel_closed() { is_background $((panel_left + 160)) 240 && sleep 0.3; }
bar_before=$(pixel 600 10)

click_item
eventually 5 panel_open || fail "a click did not open the panel at the bar's end"
[ "$(pixel 600 10)" = "$bar_before" ] || fail "the panel covers the bar"
[ -z "$screenshots" ] || import -window root -crop "${output_width}x768+0+0" +repage "$screenshots/sway-waybar-open.png"
closes_every_way panel_open "300 400 the desktop"

# The bar restarts, now light: the icon comes back and still reads.
as_user pkill -u "$scene_user" -x waybar || true
eventually 10 eval '! read_icon' || fail "the bar did not go"
start_bar -s "$work/light.css"
eventually 20 read_icon || fail "the icon did not come back to the restarted bar"
eventually 5 eval 'read_icon && legible' || fail "the icon reads at $contrast : 1 on a light bar"
echo "contrast $contrast : 1 on the light bar"
[ -z "$screenshots" ] || import -window root -crop "${output_width}x${bar_height}+0+0" +repage "$screenshots/sway-waybar-light-bar.png"
echo "sway and waybar: all as expected"

#!/bin/bash
# KDE Plasma 5.27 headless: KWin Wayland on a virtual output with Xwayland, plasmashell with its
# default panel along the bottom, the program through Xwayland in the environment a Plasma
# session gives it, while another program's window has the focus. The item shows in the
# panel's tray and reads on Breeze and on Breeze Dark; one click opens the panel above the item,
# focused and with no entry in the task manager; a second click, Escape, a click on another
# window and one on the desktop close it; a right click shows the item's menu, whose "Aggiorna"
# reads the battery at once.
# Clicks and keys go through KWin's fake-input protocol (FAKE_INPUT, a client built with the
# tests); the tray and the task manager are found from plasmashell's scripting interface, the
# item and the menu from screenshots.
#   plasma_e2e.sh BATTERY_MONITOR FAKE_INPUT FIXTURE_MACHINE [SCREENSHOT_DIR]
set -euo pipefail
program=$1
fake_input=$(realpath "$2")
fixture=$3
screenshots=${4:-}

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"
copy_machine "$fixture"
start_scene_user
home=$runtime/home
# KWin serves its fake-input protocol only to a program a desktop entry names for it.
mkdir -p "$home/.local/share/applications"
cat >"$home/.local/share/applications/battery-monitor-fake-input.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Test input
Exec=$fake_input
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
ENTRY
# The installed KWin carries a file capability (cap_sys_resource) that a container may refuse to
# grant; a copy carries none.
cp /usr/bin/kwin_wayland "$runtime/kwin_wayland"
chown -R "$scene_user" "$home" "$runtime/kwin_wayland"
wayland=(WAYLAND_DISPLAY=wayland-scene QT_QPA_PLATFORM=wayland)
session=(HOME="$home" XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"
         DBUS_SYSTEM_BUS_ADDRESS="unix:path=$runtime/system" PATH=/usr/bin:/bin
         KWIN_COMPOSE=O2 QT_QUICK_BACKEND=software LIBGL_ALWAYS_SOFTWARE=1
         XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland KDE_FULL_SESSION=true KDE_SESSION_VERSION=5)
in_session() { as_user "${session[@]}" "$@"; }

# The session bus starts Plasma's services, which show on the Wayland display; the system bus is
# an empty one.
for bus in bus system; do
    in_session "${wayland[@]}" dbus-daemon --session --address="unix:path=$runtime/$bus" --fork --print-pid=1 >"$runtime/$bus.pid"
    pids+=($(cat "$runtime/$bus.pid"))
done
screen_width=1280 screen_height=720
in_session "$runtime/kwin_wayland" --virtual --width $screen_width --height $screen_height --xwayland --no-lockscreen \
    --no-global-shortcuts --socket wayland-scene >"$runtime/kwin.log" 2>&1 &
pids+=($!)
xwayland() { find /tmp/.X11-unix -maxdepth 1 -user "$scene_user" -name 'X*' -printf ':%f\n' | tr -d X | head -n 1; }
eventually 20 eval '[ -n "$(xwayland)" ] && [ -S "$runtime/wayland-scene" ]' || fail "KWin did not start: $(tail -n 20 "$runtime/kwin.log")"
export DISPLAY
DISPLAY=$(xwayland)
# Our own X11 tools (xdotool) look at the program's windows.
eventually 10 in_session DISPLAY="$DISPLAY" xhost +si:localuser:root >/dev/null || fail "Xwayland does not answer"
in_session "${wayland[@]}" plasmashell --no-respawn >"$runtime/plasmashell.log" 2>&1 &
pids+=($!)
# A property of the tray's StatusNotifierWatcher.
watcher() {
    in_session gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}
eventually 30 eval 'watcher IsStatusNotifierHostRegistered | grep -q true' || fail "plasmashell's tray did not come up: $(tail -n 20 "$runtime/plasmashell.log")"

input() { sleep 0.4 && in_session "${wayland[@]}" "$fake_input" "$@"; }
click() { input move "$1" "$2" click "${3:-left}"; }
press_escape() { input key 1; }
screenshot() { in_session "${wayland[@]}" spectacle -b -n -f -o "$runtime/shot.png" >/dev/null 2>&1 && cp "$runtime/shot.png" "$1"; }
# The box (W H X Y) of what differs between screenshots $1 and $2 within box $3 (W H X Y); empty
# when nothing does.
changed_box() {
    local w h x y box
    read -r w h x y <<<"$3"
    box=$(convert \( "$1" -crop "${w}x$h+$x+$y" \) \( "$2" -crop "${w}x$h+$x+$y" \) -compose difference -composite \
        -threshold 10% -format '%@' info: 2>/dev/null)
    [[ $box != 0x0* ]] || return 1
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} $((BASH_REMATCH[3] + x)) $((BASH_REMATCH[4] + y))"
}
# The box (W H X Y) of the panel's widget of type $1 on the screen; the panel fills the bottom edge.
widget_box() {
    in_session qdbus org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript "var p = panels()[0];
        var g = p.widgets('$1')[0].geometry;
        print(p.location == 'bottom' ? [g.width, g.height, g.x, $screen_height - p.height + g.y].map(Math.round).join(' ') : p.location)"
}

# Another program's window, clicked, has the focus, as on a desktop in use.
in_session xmessage -geometry 400x200+100+100 "another window" >/dev/null 2>&1 &
pids+=($!)
eventually 10 eval '[ -n "$(xdotool search --onlyvisible --name "^xmessage$" 2>/dev/null)" ]' || fail "the other window did not show"
click 300 200
eventually 5 eval '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = xmessage ]' || fail "the other window has no focus"
# The tray once it stands still: its box in `tray`, its picture in `still`.
tray_settled() {
    tray=$(widget_box org.kde.plasma.systemtray) && [[ $tray =~ ^[0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ ]] || return 1
    screenshot "$runtime/still.png" && sleep 0.5 && screenshot "$runtime/again.png" \
        && ! changed_box "$runtime/still.png" "$runtime/again.png" "$tray" >/dev/null
}
start_program() {
    in_session WAYLAND_DISPLAY=wayland-scene DISPLAY="$DISPLAY" "$program" --root "$machine" >>"$runtime/program.log" 2>&1 &
    launcher=$!
    pids+=($launcher)
    eventually 5 eval 'program_pid=$(pgrep -n -u "$scene_user" -x "$(basename "$program")")' || fail "the program did not start"
    eventually 10 eval 'watcher RegisteredStatusNotifierItems | grep -q "StatusNotifierItem-$program_pid-"' || fail "the item did not register: $(tail -n 5 "$runtime/program.log")"
}
# The tray's cell around x $2 in screenshot $1, 28 wide: the icon's contrast on the panel and its
# centre into `contrast icon_x icon_y`; fails when the cell is empty.
read_cell() {
    local left=$(($2 - 14)) height top
    read -r _ height _ top <<<"$tray"
    convert "$1" -crop "28x$height+$left+$top" +repage "$runtime/cell.png"
    read -r contrast icon_x icon_y < <(icon_contrast "$runtime/cell.png")
    [ "$icon_x" -ge 0 ] || return 1
    icon_x=$((icon_x + left)) icon_y=$((icon_y + top))
}

start_program
eventually 10 tray_settled || fail "the tray does not settle"
# The item is what changes in the tray at the next ten-second tick, the level having changed.
echo 55 >"$battery/capacity"
ticked() { screenshot "$runtime/with.png" && changed=$(changed_box "$runtime/still.png" "$runtime/with.png" "$tray"); }
eventually 12 ticked || fail "nothing in the tray changed with the level: $(tail -n 5 "$runtime/program.log")"
read -r w _ x _ <<<"$changed"
read_cell "$runtime/with.png" $((x + w / 2)) || fail "no icon where the tray changed"
echo "item at $icon_x,$icon_y, contrast $contrast : 1 on Breeze's panel"
legible || fail "the icon reads at $contrast : 1 on Breeze's panel"

click_item() { click "$icon_x" "$icon_y" "$@"; }
panel_focused() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$(window_of "$program_pid" panel)" ]; }
# The task manager: where its last entry ends, with the other window's the last.
read -r tasks_w tasks_h tasks_x tasks_y <<<"$(widget_box org.kde.plasma.icontasks)"
tasks_end=$(convert "$runtime/with.png" -crop "${tasks_w}x$((tasks_h - 12))+$tasks_x+$((tasks_y + 6))" +repage -fuzz 8% -trim -format '%[fx:page.x + w]' info:)
after_tasks="$((tasks_w - tasks_end - 2)) $tasks_h $((tasks_x + tasks_end + 2)) $tasks_y"
[ -z "$screenshots" ] || convert "$runtime/with.png" -crop "400x$tasks_h+$((screen_width - 400))+$tasks_y" +repage "$screenshots/plasma-tray.png"

click_item
eventually 5 panel_open || fail "a click did not open the panel"
eventually 5 panel_focused || fail "the panel has no focus: $(xdotool getactivewindow getwindowname 2>&1)"
eval "$(xdotool getwindowgeometry --shell "$(window_of "$program_pid" panel)")"
echo "panel at $X,$Y"
[ $((Y + HEIGHT)) -le "$tasks_y" ] || fail "the panel covers the bar"
[ "$X" -le "$icon_x" ] && [ $((X + WIDTH)) -ge "$icon_x" ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$screen_width" ] \
    || fail "the panel is not above the item"
screenshot "$runtime/open.png"
[ -z "$screenshots" ] || cp "$runtime/open.png" "$screenshots/plasma-open.png"
! changed_box "$runtime/with.png" "$runtime/open.png" "$after_tasks" >/dev/null || fail "the panel has an entry in the task manager"
closes_every_way panel_focused "300 200 another window" "700 400 the desktop"

# A right click shows the item's menu above it; its first entry, "Aggiorna", reads the battery
# at once, before the next tick.
echo 70 >"$battery/capacity"
screenshot "$runtime/before-menu.png"
click_item right
menu_box() {
    screenshot "$runtime/menu.png"
    read -r menu_w menu_h menu_x menu_y < <(changed_box "$runtime/before-menu.png" "$runtime/menu.png" "400 200 $((icon_x - 200)) $((tasks_y - 200))")
}
eventually 5 menu_box || fail "a right click showed no menu"
echo "menu at $menu_x,$menu_y (${menu_w}x$menu_h)"
[ $((menu_y + menu_h)) -le "$tasks_y" ] || fail "the menu covers the bar"
[ -z "$screenshots" ] || convert "$runtime/menu.png" -crop 400x250+880+470 +repage "$screenshots/plasma-menu.png"
click $((menu_x + menu_w / 2)) $((menu_y + menu_h / 4))
icon_shows() { screenshot "$runtime/after.png" && convert "$runtime/after.png" -crop "24x24+$((icon_x - 12))+$((icon_y - 12))" +repage "$1"; }
convert "$runtime/before-menu.png" -crop "24x24+$((icon_x - 12))+$((icon_y - 12))" +repage "$runtime/icon-before.png"
refreshed() { icon_shows "$runtime/icon-after.png" && ! cmp -s <(convert "$runtime/icon-before.png" rgb:-) <(convert "$runtime/icon-after.png" rgb:-); }
eventually 5 refreshed || fail "Aggiorna in the menu did not refresh the icon"
panel_closed || fail "Aggiorna in the menu opened the panel"

# Breeze Dark, and the program started again: the item is back in its cell and reads on the
# dark panel.
kill "$program_pid"
wait "$launcher" 2>/dev/null || true
in_session "${wayland[@]}" plasma-apply-colorscheme BreezeDark >/dev/null
eventually 10 eval '! watcher RegisteredStatusNotifierItems | grep -q StatusNotifierItem-' || fail "the item stayed after the program ended"
eventually 10 tray_settled || fail "the tray does not settle"
cell_x=$icon_x
start_program
back() { screenshot "$runtime/with.png" && changed_box "$runtime/still.png" "$runtime/with.png" "28 $tasks_h $((cell_x - 14)) $tasks_y" >/dev/null; }
eventually 10 eval 'back && read_cell "$runtime/with.png" "$cell_x" && legible' \
    || fail "the icon reads at $contrast : 1 on Breeze Dark's panel, or is not back"
echo "contrast $contrast : 1 on Breeze Dark's panel"
[ -z "$screenshots" ] || convert "$runtime/with.png" -crop "400x$tasks_h+$((screen_width - 400))+$tasks_y" +repage "$screenshots/plasma-tray-dark.png"
echo "KDE Plasma: all as expected"

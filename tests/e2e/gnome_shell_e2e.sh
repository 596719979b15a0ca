#!/bin/bash
# GNOME Shell 43 headless, with Debian's AppIndicator extension hosting the item in the top bar
# and the program through Xwayland, in the environment a GNOME session gives it. The item shows
# the level once (the extension's label beside an icon without the number), its icon reads on
# the bar in the light and the dark style; one click opens the panel under the item, below the
# bar, whole on screen and focused; a second click, Escape and a click elsewhere close it; the
# panel's "Aggiorna" reads the battery at once; twenty restarts in a row each bring the item back.
# Another program's window has the focus meanwhile, as on a desktop in use.
# The shell is driven over org.gnome.Shell.Eval (--unsafe-mode): a virtual pointer and keyboard
# click and type, and the top bar and windows are read from the shell's own objects.
#   gnome_shell_e2e.sh BATTERY_MONITOR FIXTURE_MACHINE [SCREENSHOT_DIR]
set -euo pipefail
program=$1
fixture=$2
screenshots=${3:-}

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"
copy_machine "$fixture"
start_scene_user
mkdir "$runtime/home"
chown "$scene_user" "$runtime/home"
session=(HOME="$runtime/home" XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"
         DBUS_SYSTEM_BUS_ADDRESS="unix:path=$runtime/system" PATH=/usr/bin:/bin)
in_session() { as_user -i "${session[@]}" "$@"; }

# The session bus and an empty system bus (without one Shell 43 stops at start), as the user's.
for bus in bus system; do
    in_session dbus-daemon --session --address="unix:path=$runtime/$bus" --fork --print-pid=1 >"$runtime/$bus.pid"
    pids+=($(cat "$runtime/$bus.pid"))
done
in_session gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
in_session gsettings set org.gnome.desktop.interface enable-hot-corners false
in_session gsettings set org.gnome.desktop.interface enable-animations false
in_session gsettings set org.gnome.desktop.notifications show-banners false

# Prints the value of JavaScript $1 evaluated in the shell; fails when it throws.
shell_eval() {
    local answer
    answer=$(in_session timeout 10 gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null) || return 1
    [[ $answer == "(true, "* ]] || { echo "$answer" >&2; return 1; }
    answer=${answer#"(true, '"}
    answer=${answer%"')"}
    answer=${answer#\"}
    echo "${answer%\"}"
}
shell_ready() { [ "$(shell_eval 'Main.layoutManager._startingUp')" = false ]; }
# On a busy machine the shell now and then dies at start: once more then.
for attempt in 1 2; do
    in_session XDG_SESSION_TYPE=wayland LIBGL_ALWAYS_SOFTWARE=1 G_MESSAGES_DEBUG=Ubuntu-AppIndicators \
        gnome-shell --headless --virtual-monitor 1280x720 --wayland --unsafe-mode >"$runtime/shell.log" 2>&1 &
    shell_pid=$!
    pids+=($shell_pid)
    eventually 30 shell_ready && break
    as_user pkill -u "$scene_user" -x gnome-shell || true
    wait "$shell_pid" 2>/dev/null || true
    [ "$attempt" -eq 1 ] || fail "GNOME Shell did not start: $(tail -n 20 "$runtime/shell.log")"
done
shell_eval 'Main.overview.hide()' >/dev/null
# What a GNOME session tells its programs.
desktop=(XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland)
for variable in WAYLAND_DISPLAY DISPLAY XAUTHORITY; do
    desktop+=("$variable=$(shell_eval "imports.gi.GLib.getenv('$variable')")")
done
start_program() {
    in_session "${desktop[@]}" "$program" --root "$machine" >>"$runtime/program.log" 2>&1 &
    launcher=$!
    pids+=($launcher)
    # runuser stays between; the item's bus name has the program's own pid.
    eventually 5 eval 'program_pid=$(pgrep -n -u "$scene_user" -x "$(basename "$program")")' || fail "the program did not start"
    # The extension knows the item by its connection's name and object path.
    eventually 20 eval 'owner=$(in_session gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetNameOwner "org.kde.StatusNotifierItem-$program_pid-1" 2>/dev/null)' \
        || fail "the program's item is not on the bus: pid $program_pid; $(pgrep -a -u "$scene_user" battery; tail -n 3 "$runtime/program.log")"
    item="Main.panel.statusArea['appindicator-$(grep -o ':[0-9.]*' <<<"$owner")@/StatusNotifierItem']"
}

# The extension's button for the running program: sets `item_x item_y item_width item_height`,
# the icon's `icon_box` (W H X Y) and `label`; fails while there is none or it is hidden.
read_item() {
    local found
    found=$(shell_eval "const b = $item;
        const box = a => [...a.get_transformed_size(), ...a.get_transformed_position()].map(Math.round).join(' ');
        b?.visible && b.icon ? box(b) + ' ' + box(b.icon) + ' ' + (b._label?.text ?? '') : ''") || return 1
    [ -n "$found" ] || return 1
    read -r item_width item_height item_x item_y icon_w icon_h icon_x0 icon_y0 label <<<"$found"
    icon_box="$icon_w $icon_h $icon_x0 $icon_y0"
}

screenshot() {
    in_session gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
        --method org.gnome.Shell.Screenshot.Screenshot false false "$runtime/shot.png" >/dev/null && cp "$runtime/shot.png" "$1"
}
# The icon's contrast against the bar, from a screenshot, into `contrast`; the ink's height
# over its width into `ink_shape` (percent): the battery alone is wide, with the number under it
# about square.
measure_icon() {
    local shot=$runtime/icon.png crop
    screenshot "$shot"
    read -r w h x y <<<"$icon_box"
    crop=$runtime/crop.png
    convert "$shot" -crop "$((w + 4))x$h+$((x - 2))+$y" +repage "$crop"
    read -r contrast _ < <(icon_contrast "$crop")
    read -r w h < <(convert "$crop" -fuzz 20% -trim -format '%w %h\n' info: 2>/dev/null)
    ink_shape=$((100 * h / w))
}

# A virtual pointer and keyboard, made ahead: the first event of a device just made gets lost.
shell_eval "const C = imports.gi.Clutter, seat = C.get_default_backend().get_default_seat();
    global._scenePointer = seat.create_virtual_device(C.InputDeviceType.POINTER_DEVICE);
    global._sceneKeyboard = seat.create_virtual_device(C.InputDeviceType.KEYBOARD_DEVICE)" >/dev/null
click() {
    sleep 0.4 # as a person clicks: closer together they make a double click
    # The pointer first arrives, as a person's does: a press in the same moment may go by the
    # actor under its former place.
    shell_eval "global._scenePointer.notify_absolute_motion(imports.gi.Clutter.CURRENT_TIME, $1, $2)" >/dev/null
    sleep 0.1
    shell_eval "const C = imports.gi.Clutter, p = global._scenePointer;
        p.notify_button(C.CURRENT_TIME, ${3:-1}, C.ButtonState.PRESSED);
        p.notify_button(C.CURRENT_TIME, ${3:-1}, C.ButtonState.RELEASED)" >/dev/null
}
press_escape() {
    shell_eval "const C = imports.gi.Clutter, k = global._sceneKeyboard;
        k.notify_keyval(C.CURRENT_TIME, C.KEY_Escape, C.KeyState.PRESSED);
        k.notify_keyval(C.CURRENT_TIME, C.KEY_Escape, C.KeyState.RELEASED)" >/dev/null
}
click_item() { click $((item_x + icon_w / 2)) $((item_y + item_height / 2)); }
# The panel's window, 320 x 480: `panel` is "X Y FOCUSED" while it shows.
panel_open() {
    panel=$(shell_eval "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() === $program_pid && w.showing_on_its_workspace())
        .map(w => [w.get_frame_rect(), w.has_focus()]).filter(([r]) => r.width === 320 && r.height === 480)
        .map(([r, f]) => r.x + ' ' + r.y + ' ' + f).join('')") && [ -n "$panel" ]
}
# What the shell shows, for a failure's message.
shell_state() {
    shell_eval "const b = $item;
        'pointer ' + global.get_pointer().slice(0, 2) + ', hover ' + b?.hover + ', last click ' + b?._lastClickTime
        + ', overview ' + Main.overview.visible + ', menu open ' + !!Main.panel.menuManager.activeMenu + ', item entries ' + b?.menu.numMenuItems + ', activation ' + b?._indicator.supportsActivation + ', windows: '
        + global.get_window_actors().map(a => a.meta_window).map(w => w.title + ' ' + w.get_frame_rect().x + ','
            + w.get_frame_rect().y + (w.has_focus() ? ' focused' : '')).join('; ')"
    tail -n 5 "$runtime/program.log"; grep -i -A1 "JS ERROR\|Ubuntu-AppIndicators" "$runtime/shell.log" | tail -n 20
}
panel_focused() { panel_open && [[ $panel == *true ]]; }
scene_state() { echo ": $(shell_state)"; }

# Another program's window has the focus, as on a desktop in use.
in_session "${desktop[@]}" xmessage -geometry 400x200+100+100 "another window" >/dev/null 2>&1 &
pids+=($!)
start_program
eventually 10 eval '[ "$(shell_eval "global.display.focus_window?.title")" = xmessage ]' || fail "the other window has no focus"
eventually 20 read_item || fail "no item in the top bar: $(cat "$runtime/program.log")"
level="$(($(cat "$battery/capacity")))%"
eventually 5 eval 'read_item && [ "$label" = "$level" ]' || fail "the label reads '$label', not '$level'"
echo "item at $item_x,$item_y (${item_width}x$item_height), label '$label'"
for style in default prefer-dark; do
    in_session gsettings set org.gnome.desktop.interface color-scheme "$style"
    eventually 5 eval 'read_item && measure_icon && legible' || fail "the icon reads at $contrast : 1 on the top bar in the $style style"
    echo "contrast $contrast : 1 on the top bar in the $style style"
done
[ "$ink_shape" -lt 75 ] || fail "the icon draws the level ($ink_shape% as high as wide) beside the label"

click_item
eventually 5 panel_open || fail "a click did not open the panel: $(shell_state): $(shell_state)"
eventually 5 panel_focused || fail "the panel has no focus"
read -r panel_x panel_y _ <<<"$panel"
echo "panel at $panel_x,$panel_y"
[ "$panel_y" -ge "$item_height" ] || fail "the panel covers the top bar"
[ $((panel_x + 320)) -le 1280 ] && [ $((panel_y + 480)) -le 720 ] || fail "the panel is not whole on screen"
[ "$panel_x" -le "$item_x" ] && [ $((panel_x + 320)) -ge $((item_x + icon_w)) ] || fail "the panel is not under the item"
[ -z "$screenshots" ] || screenshot "$screenshots/gnome-shell-open.png"
closes_every_way panel_focused "300 200 another window" "300 400 the desktop"
click 300 400
click_item
eventually 5 panel_open || fail "a click after one on the desktop did not open the panel: $(shell_state)"

# The panel's "Aggiorna", at its bottom right, reads the battery at once, before the next tick.
echo 55 >"$battery/capacity"
read -r panel_x panel_y _ <<<"$panel"
click $((panel_x + 256)) $((panel_y + 425))
eventually 5 eval 'read_item && [ "$label" = "55%" ]' || fail "Aggiorna did not refresh the label: '$label'"
press_escape
eventually 5 panel_closed || fail "Escape did not close the panel after Aggiorna"
# A right click opens nothing: a menu there would take the left click too.
click "$((item_x + icon_w / 2))" "$((item_y + item_height / 2))" 3
sleep 0.5
[ "$(shell_eval '!Main.panel.menuManager.activeMenu')" = true ] && ! panel_open || fail "a right click opened something"
click_item
eventually 5 panel_open || fail "a click did not open the panel after Aggiorna: $(shell_state)"
click_item
eventually 5 panel_closed || fail "a second click did not close the panel after Aggiorna: $(shell_state)"

# Twenty restarts in a row, each quick after the last: the extension takes the item every time.
for restart in $(seq 20); do
    kill "$program_pid"
    wait "$launcher" 2>/dev/null || true
    start_program
    eventually 15 eval 'read_item && [ "$label" = 55% ]' || fail "restart $restart: no item with its label in the top bar: $(shell_state)"
done
eventually 5 eval '[ "$(shell_eval "Object.keys(Main.panel.statusArea).filter(k => k.startsWith(\"appindicator-\")).length")" = 1 ]' \
    || fail "items of ended programs stay in the top bar"
echo "twenty restarts: the item came back each time"
echo "GNOME Shell: all as expected"

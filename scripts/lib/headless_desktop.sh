# Sourced by the end-to-end tests and the bench scripts: a headless X server, tray hosts, a
# fixture machine of one's own, the ways to find, wait for and click the program's windows, and
# a UPower daemon of one's own.
# Cleans up on exit: the processes in `pids` and the folders in `scratch`.
pids=()
scratch=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "${scratch[@]}"' EXIT
# Each user's scratch folder: logs, copies, state.
work=$(mktemp -d)
scratch+=("$work")

fail() {
    echo "FAIL: $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root /tmp/e2e-failure.png 2>/dev/null && echo "screen: /tmp/e2e-failure.png" >&2
    exit 1
}

# Polls `$@` every 0.1 s for up to $1 seconds.
eventually() {
    local timeout=$1
    shift
    local end=$((SECONDS + timeout))
    until "$@"; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}

# Xvfb on the first free display from $1, with no session bus: with no StatusNotifierItem
# watcher to find, the program docks in an XEmbed host.
start_x_server() {
    local display=$1
    while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    unset DBUS_SESSION_BUS_ADDRESS
    eventually 10 xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
}

# Desktops that refuse to run as root (sway, GNOME Shell) run as a user of their own, made once:
# `as_user ENV... COMMAND` runs as that user (as oneself when not root), whose processes all end
# with the scene. Sets `scene_user` and `runtime`, a fresh private XDG_RUNTIME_DIR of theirs.
start_scene_user() {
    if [ "$(id -u)" -eq 0 ]; then
        scene_user=battery-scene
        id "$scene_user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$scene_user"
        as_user() { runuser -u "$scene_user" -- env "$@"; }
        # Gone within 5 s, and so the sockets and lock files of the X servers its compositor started.
        trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; pkill -u battery-scene 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "${scratch[@]}"
              for _ in {1..50}; do pgrep -u battery-scene >/dev/null || break; sleep 0.1; done
              find /tmp/.X11-unix /tmp -maxdepth 1 -user battery-scene \( -name "X[0-9]*" -o -name ".X[0-9]*-lock" \) -delete 2>/dev/null || true' EXIT
    else
        scene_user=$(id -un)
        as_user() { env "$@"; }
    fi
    runtime=$(mktemp -d)
    scratch+=("$runtime")
    chown "$scene_user" "$runtime"
    chmod 700 "$runtime"
}

# An XEmbed tray host along the top edge, once its window shows; its pid in `tray_host`.
# Arguments go to trayer. On a busy machine trayer now and then dies at start: once more then.
start_xembed_tray() {
    local attempt
    for attempt in 1 2; do
        trayer --edge top --align right --widthtype request --height 28 "$@" >/dev/null 2>&1 &
        tray_host=$!
        pids+=($tray_host)
        eventually 10 eval '[ -n "$(xdotool search --onlyvisible --pid "$tray_host" 2>/dev/null)" ]' && return
        kill "$tray_host" 2>/dev/null || true
    done
    fail "trayer did not start"
}

start_headless_desktop() {
    start_x_server "$1"
    start_xembed_tray
    sleep 1
}

# A visible window of process $1: its tray icon (small) or its panel (320 x 480).
window_of() {
    local pid=$1 wanted=$2 id
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        case $wanted in
        icon) [ "$WIDTH" -le 64 ] && [ "$HEIGHT" -le 64 ] && echo "$id" && return ;;
        panel) [ "$WIDTH" -eq 320 ] && [ "$HEIGHT" -eq 480 ] && echo "$id" && return ;;
        esac
    done
    return 0
}

# Whether process $1 shows a window of kind $2 (icon or panel).
shows() { [ -n "$(window_of "$1" "$2")" ]; }

# A copy of fixture machine $1 in the scratch folder, so a test can change it: the folder in
# `machine`, its (last) battery in `battery`.
copy_machine() {
    machine=$work/machine
    cp -r "$1" "$machine"
    # Readable by a scene's own user too.
    chmod -R a+rX "$work"
    battery=$(realpath "$(find "$machine/sys/class/power_supply/" -maxdepth 1 -name 'BAT*' | sort | tail -n 1)")
}

# A left click in the middle of window $1.
click_window() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
}

# Whether the program (`program_pid`) shows its panel; scenes that see it otherwise define this
# again. Closed means closed and still so a moment later, when a person clicks next: a click in
# the very instant the window goes may still land in the closing popup's pointer grab (slow
# builds, the sanitizers, take longer).
panel_open() { shows "$program_pid" panel; }
panel_closed() { ! panel_open && sleep 0.3 && ! panel_open; }

# A person's left click at $1 $2 and Escape, on the X server; desktops with input of their own
# define these again. Half a second after the last: closer, clicks are a double click to a bar.
click() { sleep 0.5 && xdotool mousemove "$1" "$2" click 1; }
press_escape() { xdotool key Escape; }

# With the panel open from a click on the item: a second click, Escape, and a click at each of
# "$2..." ("X Y what") close it, and the item opens it again between them, `$1` holding then
# (panel_open, or a stricter check). The scene defines click_item, and may define scene_state
# to say more when one fails.
scene_state() { :; }
closes_every_way() {
    local opened=$1 way x y what
    shift
    click_item
    eventually 5 panel_closed || fail "a second click did not close the panel$(scene_state)"
    for way in Escape "$@"; do
        click_item
        eventually 5 "$opened" || fail "a click did not open the panel again ($opened), before $way$(scene_state)"
        if [ "$way" = Escape ]; then
            press_escape
            what=Escape
        else
            read -r x y what <<<"$way"
            click "$x" "$y"
            what="a click on $what"
        fi
        eventually 5 panel_closed || fail "$what did not close the panel$(scene_state)"
    done
}

# A bus of our own, its address in `bus_address`.
start_private_bus() {
    local config bus_pid
    config=$(mktemp)
    scratch+=("$config")
    cat >"$config" <<'CONF'
<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
    { read -r bus_address; read -r bus_pid; } < <(dbus-daemon --config-file="$config" --fork --print-address=1 --print-pid=1)
    pids+=($bus_pid)
}

# Buses of our own standing for the system bus and the session bus.
start_system_bus() { start_private_bus && export DBUS_SYSTEM_BUS_ADDRESS=$bus_address; }
start_session_bus() { start_private_bus && export DBUS_SESSION_BUS_ADDRESS=$bus_address; }

# Whether name $2 has an owner on the session or system bus ($1).
owned() {
    gdbus call "--$1" --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$2" 2>/dev/null | grep -q true
}
upower_on_bus() { owned system org.freedesktop.UPower; }

# python-dbusmock's UPower on that bus, its pid in `upower_daemon`. Debian's own Python carries
# dbusmock, whichever python3 comes first in PATH.
start_upower_mock() {
    /usr/bin/python3 -m dbusmock --system --template upower >/dev/null 2>&1 &
    upower_daemon=$!
    pids+=($upower_daemon)
    eventually 10 upower_on_bus || fail "the mock UPower did not come up"
}

# Calls the mock: OBJECT_PATH --method NAME ARGUMENTS...
upower_call() { gdbus call --system --dest org.freedesktop.UPower --object-path "$@" >/dev/null; }

# The mock's display device: TYPE PERCENTAGE STATE PRESENT [WARNING_LEVEL] (UPower's numbers:
# type 2 a battery, state 1 charging, 2 discharging; warning level 1 none, 3 low, 4 critical).
upower_display_device() {
    upower_call /org/freedesktop/UPower --method org.freedesktop.DBus.Mock.SetupDisplayDevice \
        "$1" "$3" "$2" 40.0 50.0 10.0 3600 0 "$4" battery-good "${5:-1}"
}
upower_on_battery() {
    upower_call /org/freedesktop/UPower --method org.freedesktop.DBus.Properties.Set org.freedesktop.UPower OnBattery "<$1>"
}
# A device NAME MODEL TYPE PERCENTAGE STATE [POWER_SUPPLY], told to the program.
upower_add_device() {
    upower_call /org/freedesktop/UPower --method org.freedesktop.DBus.Mock.AddObject \
        "/org/freedesktop/UPower/devices/$1" org.freedesktop.UPower.Device \
        "{'Type': <uint32 $3>, 'Percentage': <$4.0>, 'State': <uint32 $5>, 'IsPresent': <true>, 'PowerSupply': <${6:-false}>, 'Model': <'$2'>}" \
        '@a(ssss) []'
    upower_call /org/freedesktop/UPower --method org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.UPower DeviceAdded o \
        "[<objectpath '/org/freedesktop/UPower/devices/$1'>]"
}

# The colour of the screen's pixel at X Y, as #rrggbb.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | grep -o '#[0-9A-Fa-f]\{6\}'; }

# The icon in picture $1 against its ground: prints "CONTRAST X Y" (WCAG; its centre).
icon_contrast() { python3 "$(dirname "${BASH_SOURCE[0]}")/icon_contrast.py" "$1"; }

# The icon in the screen's rectangle W H X Y of a bar: sets `contrast` (WCAG, its ink against the
# bar) and its centre `icon_x` `icon_y`; fails when the rectangle shows no icon.
read_bar_icon() {
    local crop=$work/bar-icon.png
    import -window root -crop "$1x$2+$3+$4" +repage "$crop"
    read -r contrast icon_x icon_y < <(icon_contrast "$crop")
    [ "$icon_x" -ge 0 ] || return 1
    icon_x=$((icon_x + $3)) icon_y=$((icon_y + $4))
}
legible() { python3 -c "import sys; sys.exit(0 if $contrast >= 3 else 1)"; }

# A session bus as a desktop session has one, which starts the services it knows (xfconfd).
start_desktop_session_bus() {
    local bus_pid
    { read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS
    pids+=($bus_pid)
}

# The accessibility bus that screen readers and the program meet on, announced on the session
# bus (start one first) by at-spi2-core's launcher; the program still needs
# QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, as no screen reader says it is listening.
start_accessibility_bus() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    pids+=($!)
    a11y_bus_up() { gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress >/dev/null 2>&1; }
    eventually 10 a11y_bus_up || fail "the accessibility bus did not come up"
}

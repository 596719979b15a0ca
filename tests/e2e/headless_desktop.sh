# Sourced by the soak test and the bench scripts: a headless X server with an XEmbed tray host and no session bus,
# so the program docks in the tray the way it does on an X11 desktop. Cleans up on exit: the processes in `pids`
# and the folders in `scratch`.
pids=()
scratch=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "${scratch[@]}"' EXIT

start_headless_desktop() {
    local display=$1
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    unset DBUS_SESSION_BUS_ADDRESS
    sleep 1
    trayer --edge top --align right --widthtype request --height 28 >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
}

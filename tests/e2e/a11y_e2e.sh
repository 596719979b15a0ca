#!/bin/bash
# The panel as a screen reader and a keyboard user meet it: the real AT-SPI stack on a session
# bus of its own, a reader that walks the program's tree, and keys typed into the open panel.
#   a11y_e2e.sh BATTERY_MONITOR FIXTURE_MACHINE
set -euo pipefail
program=$1
fixture=$2

. "$(dirname "$0")/../../scripts/lib/headless_desktop.sh"
reader="$(dirname "$0")/panel_reader.py"
copy_machine "$fixture"

start_x_server 100
start_session_bus
start_accessibility_bus
start_xembed_tray

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" --root "$machine" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
eventually 15 shows "$program_pid" icon || fail "the icon never docked in the tray"
open_panel() {
    click_window "$(window_of "$program_pid" icon)"
    eventually 5 panel_open || fail "a click did not open the panel"
}

tree() { /usr/bin/python3 "$reader" "$program_pid" tree >"$work/tree" && cat "$work/tree"; }
# Whether the reader finds an element: "|role|name|value|description|" and, last, "focused" or not.
reads() { tree | grep -qF -- "$1"; }
expect() { eventually "${2:-5}" reads "$1" || fail "the reader did not find '$1' in: $(cat "$work/tree")"; }
ring() { expect "|progress bar|Carica della batteria|$1|" "${2:-5}"; }

open_panel
expect "|frame|Stato Batteria|"
for element in "|label|XPS 13 9310|" "|label|Batteria|" \
    "|label|Alimentazione da batteria. Nessun alimentatore collegato.|" \
    "|label|Alimentazione: Batteria|" "|label|Capacità Massima: 75%|" "|label|Cicli di Ricarica: 803|" \
    "|label|Stato Salute: Normale|" "|push button|Esci|||" "|push button|Aggiorna|||"; do
    expect "$element"
done
ring 38
[ "$(grep -c '|push button|' "$work/tree")" -eq 2 ] || fail "not two push buttons"
! grep -qF "|label|38%|" "$work/tree" || fail "the ring's figure reads apart from the ring"

# The next tick, at most ten seconds away, reaches the ring; the next one is ten seconds after
# it, so a change within a few seconds of the button's action is the action's.
echo 55 >"$battery/capacity"
ring 55 15
echo 60 >"$battery/capacity"
/usr/bin/python3 "$reader" "$program_pid" press Aggiorna
ring 60 3

# The keyboard: Tab reaches the buttons in order, Enter presses the one it is on.
echo 66 >"$battery/capacity"
xdotool key Tab
expect "|push button|Esci|||focused"
xdotool key Tab
expect "|push button|Aggiorna|||focused"
xdotool key Return
ring 66 3
xdotool key shift+Tab
expect "|push button|Esci|||focused"
xdotool key Escape
eventually 5 panel_closed || fail "Escape did not close the panel"

sleep 0.3
open_panel
xdotool key Tab Return
eventually 5 eval '! kill -0 $program_pid 2>/dev/null' || fail "Enter on Esci did not quit"
echo "PASS: read the panel's texts, rows, buttons and ring; followed the level; refreshed by the reader's action and by Enter; Tab and Shift+Tab between the buttons; Escape closed; Enter on Esci quit"

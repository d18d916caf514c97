#!/usr/bin/env bash
# What a screen reader is told, under a real X server: the program reads its
# windows out through the accessibility bus (AT-SPI) of a session of its own,
# and read-aloud.py walks the main window with both views, the delete dialog
# and each page of the Disk Scan Wizard. It fails where a name looks like an
# identifier, a control has no name, or a text on screen is not what is read.
#   bash tests/xvfb/read-aloud.sh BUILD-FOLDER
# Needs xvfb-run, xdotool, dbus-launch (dbus-x11), at-spi2-core and python3-pyatspi.
set -euo pipefail
source "$(dirname "$0")/drive-common.sh"
begin_check "${1:-build}"
mkdir -p "$HOME/notes"
echo "a note" > "$HOME/notes/note.txt"
sample_document

under_x dbus-launch --exit-with-session 2>"$work/errors" <<'DRIVE' || { x_errors; exit 1; }
failed=0
check() { /usr/bin/python3 "$here/read-aloud.py" check --pid "$program" --timeout 60 "$@" || failed=1; }
click() {  # click NAME [REPEAT]: the part read by NAME
  local x y
  read -r x y < <(/usr/bin/python3 "$here/read-aloud.py" where --pid "$program" --name "$1")
  xdotool mousemove "$x" "$y" click --repeat "${2:-1}" --delay 150 1
  sleep 0.5
}
# The bus is started before the program, which looks for it once.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress > /dev/null
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

start_twinseek "$work/sample.tws"
check --window Twinseek --expect Ready --expect 'All Files \[1 Group\(s\)\]' --expect 'Files View' \
  --expect 'Size categories' --expect Comparing --expect Finished
xdotool key alt+v r
check --window Twinseek --expect 'Duplicate groups' --expect 'Duplicate files' --expect 'Small Files'
# The group chosen: the list takes the focus at its first row; the second is ticked.
click 'Small Files' 2
click 'copy\.bin \[2 Copies\]'
xdotool key Down space
xdotool key alt+a d
check --window 'Confirm File Delete' --expect Delete --expect Close --expect 'Select all' --expect 'Clear all' \
  --expect 'Send the item to the Recycle Bin\.' --expect 'Files to delete'
xdotool key Escape
sleep 0.5

# The wizard opens on the folder page; Back shows the welcome page.
xdotool windowfocus --sync "$window"
xdotool key alt+a s
check --window 'Driver\(s\) and/or Folder\(s\) to Scan Files' --expect 'Select the folders you want to scan:' \
  --expect Folders --expect 'Next >' --expect '< Back' --expect Cancel --expect Help
xdotool key alt+b
check --window 'Disk Scan Wizard' --expect 'Welcome to the Disk Scan Wizard' \
  --expect 'Skip this welcome page in the future\.' --expect 'Next >'
xdotool key alt+n
# "/" ticked, whose scan lasts long enough to be read while it runs.
click /
xdotool key space alt+n
check --window 'Select Size\(s\)' --expect 'Huge Files' --expect 'Tiny Files' --expect 'Next >' --expect 'Clear all'
xdotool key alt+n
check --window 'Scaning Driver\(s\) and/or Folder\(s\)\.\.\.' --expect 'Find [0-9]+ Files in [0-9]+ Folders' \
  --expect Cancel --expect Scanning
xdotool key Escape
sleep 1
# The home folder ticked: its scan ends on the completing page.
xdotool windowfocus --sync "$window"
xdotool key alt+a s
click "$HOME"
xdotool key space alt+n
sleep 0.5
xdotool key alt+n
check --window 'Completing the Disk Scan Wizard' --expect 'Completing the Disk Scan Wizard' --expect Finish
xdotool key Escape
sleep 0.5
# By the menu, or at once after a failure, which may have left a dialog open.
if [ "$failed" = 0 ]; then exit_by_menu; else kill "$program"; fi
exit $failed
DRIVE

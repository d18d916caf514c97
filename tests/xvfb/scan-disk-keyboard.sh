#!/usr/bin/env bash
# Scan Disk under a real X server with the keyboard alone: Alt+A, S opens the
# wizard on the folder page; the arrow keys reach the home folder's "data"
# folder and Space ticks it; on the size page Tab reaches "Tiny Files" and
# Space ticks it; the wizard closes by itself after the scan and the tiny files
# are compared. Ctrl+S saves the document, and its duplicate groups must be
# those of twinseek-cli scan DATA --compare 7.
#   [SHOT=FOLDER] bash tests/xvfb/scan-disk-keyboard.sh BUILD-FOLDER
# Needs xvfb-run and xdotool (apt-get install xvfb xdotool).
set -euo pipefail
source "$(dirname "$0")/drive-common.sh"
begin_check "${1:-build}"
data="$HOME/data"
mkdir -p "$data/a" "$data/b" "$data/c"
head -c 300 /dev/urandom > "$data/a/tiny.bin"; cp "$data/a/tiny.bin" "$data/b/tiny.bin"; cp "$data/a/tiny.bin" "$data/c/tiny-again.bin"
head -c 700 /dev/urandom > "$data/a/note.txt"; cp "$data/a/note.txt" "$data/b/note.txt"
head -c 700 /dev/urandom > "$data/c/same-size-other.txt"
# Copies of other sizes, which comparing only tiny files leaves out.
head -c 5000 /dev/urandom > "$data/a/small.bin"; cp "$data/a/small.bin" "$data/b/small.bin"
: > "$data/a/empty"; : > "$data/b/empty"

"$build/twinseek-cli" scan --compare 7 --format json "$data" > "$work/expected.json"

under_x 2>"$work/err" <<'DRIVE' || { cat "$work/err" >&2; exit 1; }
start_twinseek
xdotool key alt+a
sleep 0.5
xdotool key s
xdotool search --sync --name 'Driver\(s\) and/or Folder\(s\) to Scan Files' > /dev/null
sleep 1
# The tree: "/", then the home folder; open it, go to its children and type
# the name of "data" (the session may have made hidden folders beside it).
xdotool key Down Down Right
sleep 0.5
xdotool key Right
xdotool type --delay 50 data
xdotool key space
sleep 0.5
shot folders
xdotool key alt+n
sleep 1
# Huge, Very Large, Large, Normal, Small, Very Small, Tiny: six Tabs on from the first.
xdotool key Tab Tab Tab Tab Tab Tab space
sleep 0.5
shot sizes
xdotool key alt+n
sleep 5
xdotool search --name 'Wizard|Scan' >/dev/null 2>&1 && { echo "the wizard is still open"; shot stuck; }
xdotool windowfocus --sync "$window"
shot compared
xdotool key ctrl+s
xdotool search --sync --name 'Save' > /dev/null
sleep 1
xdotool type --delay 20 "$work/gui.tws"
xdotool key Return
sleep 2
exit_by_menu
DRIVE
"$build/twinseek-cli" groups --format json "$work/gui.tws" > "$work/gui.json"
same_groups "$work/expected.json" "$work/gui.json"

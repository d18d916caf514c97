#!/usr/bin/env bash
# The result view and the delete dialog under a real X server, driven by keys
# as a person would: a document with two groups that twinseek-cli saved is
# opened, the result view shown, one copy of each group ticked and sent to the
# Trash, the document saved. The saved document, opened again by twinseek-cli,
# holds neither the removed files nor the group left with one file, and the
# Trash holds them with their .trashinfo.
#   [SHOT=FILE.png] bash tests/xvfb/delete-to-trash.sh BUILD-FOLDER
# Needs xvfb-run and xdotool (apt-get install xvfb xdotool).
set -euo pipefail
source "$(dirname "$0")/drive-common.sh"
begin_check "${1:-build}"
mkdir -p "$work/tree"/{a,b,c,d,e,f}
head -c 70000 /dev/urandom > "$work/tree/a/photo.jpg"
cp "$work/tree/a/photo.jpg" "$work/tree/b/photo.jpg"
cp "$work/tree/a/photo.jpg" "$work/tree/f/photo.jpg"
echo "notes" > "$work/tree/c/notes.txt"
cp "$work/tree/c/notes.txt" "$work/tree/d/notes.txt"
echo "alone" > "$work/tree/e/alone.txt"
"$build/twinseek-cli" scan --compare all --save "$work/sample.tws" "$work/tree" > /dev/null

# Rows of the result view: the three photos (a, b, f), then the two notes (c, d).
output=$(under_x 2>/dev/null <<'DRIVE'
open_in_result_view "$work/sample.tws"
sleep 1
# In the group tree: the root, its fifth category (Small Files, the photos)
# opened, its group chosen: the list takes the focus at the group's first row.
eval $(xdotool getwindowgeometry --shell "$window")
xdotool mousemove $((X + WIDTH / 10)) $((Y + HEIGHT / 2)) click 1
xdotool key Home Down Down Down Down Down Right Down
sleep 0.5
xdotool key Down space
xdotool key Down Down Down space
sleep 0.5
xdotool key alt+a d
await_window 'Confirm Multiple File Delete'
sleep 0.5
xdotool key Tab space Return
sleep 1
shot
xdotool key Escape
sleep 0.5
save_and_exit
DRIVE
) || true
echo "$output"
# One photo and one note went (which, depends on the order the scan met them).
status=0
remaining() { ls "$work"/tree/*/"$1" 2>/dev/null | wc -l; }
[ "$(remaining photo.jpg)" = 2 ] && [ "$(remaining notes.txt)" = 1 ] || { echo "not one copy of each gone"; status=1; }
for name in photo.jpg notes.txt; do
  [ -e "$XDG_DATA_HOME/Trash/files/$name" ] && [ -e "$XDG_DATA_HOME/Trash/info/$name.trashinfo" ] ||
    { echo "not in the Trash: $name"; status=1; }
done
groups=$("$build/twinseek-cli" groups --format json "$work/sample.tws")
echo "groups of the saved document: $groups"
python3 -c '
import glob, json, sys
photos = sorted(glob.glob(sys.argv[1] + "/*/photo.jpg"))
if [sorted(group["files"]) for group in json.loads(sys.argv[2])] != [photos]:
    sys.exit("expected only the group of the photos left: %s" % photos)
' "$work/tree" "$groups" || status=1
exited_by_menu "$output" && exit $status
exit 1

#!/usr/bin/env bash
# Marking, deleting and undoing under a real X server, driven by keys as a
# person would: a document of many groups that twinseek-cli saved is opened;
# Mark Copies keeps the oldest file of each group and ticks the others; Delete
# sends them to the Trash; Undo Last Cleanup brings them back; the document is
# saved. Passes when every file but the oldest of each group went to the
# Trash, every one came back with its bytes, and the saved document, refreshed
# by twinseek-cli, lists the groups it listed at first.
#   [SHOT=FILE.png] bash tests/xvfb/mark-delete-undo.sh BUILD-FOLDER
# Needs xvfb-run and xdotool (apt-get install xvfb xdotool).
set -euo pipefail
source "$(dirname "$0")/drive-common.sh"
begin_check "${1:-build}"
# Twenty groups of three copies in three folders; the copy in "old" is the oldest.
groups=20
for folder in old mid new; do mkdir -p "$work/tree/$folder"; done
for i in $(seq 1 $groups); do
  head -c $((1000 + i * 37)) /dev/urandom > "$work/tree/old/file$i.bin"
  cp "$work/tree/old/file$i.bin" "$work/tree/mid/file$i.bin"
  cp "$work/tree/old/file$i.bin" "$work/tree/new/file$i.bin"
  touch -d '2020-01-01' "$work/tree/old/file$i.bin"
  touch -d '2022-01-01' "$work/tree/mid/file$i.bin"
done
(cd "$work/tree" && find . -type f -exec sha1sum {} + | sort -k 2) > "$work/before.sums"
"$build/twinseek-cli" scan --compare all --save "$work/sample.tws" "$work/tree" > /dev/null
"$build/twinseek-cli" groups --format json "$work/sample.tws" > "$work/groups-before.json"

output=$(under_x 2>/dev/null <<'DRIVE'
open_in_result_view "$work/sample.tws"
sleep 1
# Action > Mark Copies...: the first run keeps the oldest, for all groups.
xdotool key alt+a m
await_window 'Mark Copies'
sleep 0.5
xdotool key Return
sleep 1
xdotool windowfocus --sync "$window"
xdotool key alt+a d
await_window 'Confirm Multiple File Delete'
sleep 0.5
xdotool key Tab space Return
sleep 3
ls "$XDG_DATA_HOME/Trash/files" | wc -l > "$work/trashed.count"
shot
xdotool key Escape
sleep 0.5
xdotool windowfocus --sync "$window"
# Action > Undo Last Cleanup, then its report is closed.
xdotool key alt+a n
sleep 2
xdotool key Return
sleep 0.5
save_and_exit
DRIVE
) || true
echo "$output"
status=0
trashed=$(cat "$work/trashed.count" 2>/dev/null || echo none)
[ "$trashed" = $((2 * groups)) ] || { echo "expected $((2 * groups)) files in the Trash, found $trashed"; status=1; }
(cd "$work/tree" && find . -type f -exec sha1sum {} + | sort -k 2) > "$work/after.sums"
diff -u "$work/before.sums" "$work/after.sums" || { echo "not every file came back with its bytes"; status=1; }
[ -z "$(ls -A "$XDG_DATA_HOME/Trash/files")" ] || { echo "the Trash still holds files"; status=1; }
"$build/twinseek-cli" open --refresh --compare all --format json "$work/sample.tws" > "$work/groups-after.json"
same_groups "$work/groups-before.json" "$work/groups-after.json" || status=1
exited_by_menu "$output" && exit $status
exit 1

#!/usr/bin/env bash
# A document opened from the desktop: after cmake --install into a prefix the
# desktop's type database names a .tws file application/x-twinseek and the
# menu entry as the program for it; the command of that entry, with the
# document for %f, opens it under a real X server, as read through the
# accessibility bus. A damaged document gives Open's message over an empty window.
#   bash tests/xvfb/open-from-desktop.sh BUILD-FOLDER
# Needs xvfb-run, xdotool, xdg-utils with libfile-mimeinfo-perl, dbus-launch
# (dbus-x11), at-spi2-core and python3-pyatspi.
set -euo pipefail
source "$(dirname "$0")/drive-common.sh"
begin_check "${1:-build}"
export XDG_DATA_DIRS="$work/prefix/share:/usr/share"
sample_document
# Cut short in the middle of its records.
head -c "$(( $(stat -c %s "$work/sample.tws") / 2 ))" "$work/sample.tws" > "$work/damaged.tws"

cmake --install "$build" --prefix "$work/prefix" > /dev/null
status=0
type=$(xdg-mime query filetype "$work/sample.tws")
echo "type of a .tws file: $type"
[ "$type" = application/x-twinseek ] || status=1
entry=$(xdg-mime query default application/x-twinseek)
echo "program for it: $entry"
[ "$entry" = twinseek.desktop ] || status=1
# The entry's command as a file manager runs it: %f is the file.
command=$(sed -n 's/^Exec=//p' "$work/prefix/share/applications/$entry")
echo "command of the entry: $command"
[ "$command" = "twinseek %f" ] || status=1

output=$(under_x dbus-launch --exit-with-session 2>"$work/errors" <<'DRIVE'
twinseek="$work/prefix/bin/twinseek"
read_aloud() { /usr/bin/python3 "$here/read-aloud.py" check --pid "$program" --timeout 60 "$@"; }
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress > /dev/null
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
failed=0
# Ends the program by its menu, or at once after a failure, which may have left a box open.
finish() {
  if [ "$failed" = 0 ]; then exit_by_menu; else kill "$program"; wait "$program" || true; fi
}
start_twinseek "$work/sample.tws"
read_aloud --window Twinseek --expect 'All Files \[1 Group\(s\)\]' || failed=1
finish
start_twinseek "$work/damaged.tws"
read_aloud --window Error --expect "Could not open $work/damaged\.tws: .+" || failed=1
xdotool search --name '^Error$' windowfocus --sync key Return
read_aloud --window Twinseek --expect 'All Files \[0 Group\(s\)\]' || failed=1
finish
exit $failed
DRIVE
) || { x_errors; status=1; }
echo "$output"
[ "$(grep -c '^exit status 1$' <<<"$output")" = 2 ] || status=1
exit $status

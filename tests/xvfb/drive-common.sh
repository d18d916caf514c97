# Steps the X server checks share: sourced by each check, and again by the
# script it runs under xvfb-run (under_x), where build, work and here are set.
here=$(realpath "$(dirname "${BASH_SOURCE[0]}")")

# begin_check BUILD-FOLDER: sets build; a work folder, removed at exit, holds a
# home of the check's own, so the user's settings and Trash are never touched.
begin_check() {
  build=$(realpath "$1")
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
  mkdir -p "$HOME"
}

# sample_document: $work/sample.tws, saved by twinseek-cli, of one group of two
# copies in $work/tree.
sample_document() {
  mkdir -p "$work/tree/a" "$work/tree/b"
  head -c 70000 /dev/urandom > "$work/tree/a/copy.bin"
  cp "$work/tree/a/copy.bin" "$work/tree/b/copy.bin"
  "$build/twinseek-cli" scan --compare all --save "$work/sample.tws" "$work/tree" > /dev/null
}

# under_x [COMMAND...]: runs the script read from stdin, after these steps,
# under a new X server (through COMMAND, such as dbus-launch, when given),
# for fifteen minutes at most.
under_x() {
  { printf 'set -euo pipefail\nbuild=%q work=%q\nsource %q\n' "$build" "$work" "$here/drive-common.sh"; cat; } \
    > "$work/drive.sh"
  timeout 900 xvfb-run -a -s "-screen 0 1280x900x24" "$@" bash "$work/drive.sh"
}

# x_errors: what the run under X wrote to $work/errors, but for Qt's remarks
# on a session without a desktop.
x_errors() {
  grep -v -e '^QStandardPaths' -e propagateSizeHints "$work/errors" >&2 || true
}

# start_twinseek [ARGUMENT...]: starts twinseek with them; sets program (its
# process) and window, and gives it the focus.
start_twinseek() {
  "${twinseek:-$build/twinseek}" "$@" & program=$!
  window=$(xdotool search --sync --name '^Twinseek$' | head -n 1)
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  sleep 1
}

# shot [NAME]: a picture of the screen in $SHOT, or in $SHOT/NAME.png, when SHOT is set.
shot() {
  [ -z "${SHOT:-}" ] || import -window root "$SHOT${1:+/$1.png}"
}

# await_window TITLE: waits up to ten seconds for a window of that title;
# without one, the program is ended and the check fails.
await_window() {
  timeout 10 xdotool search --sync --name "^$1\$" > /dev/null && return
  echo "no window \"$1\""
  shot
  kill "$program"
  exit 3
}

# open_document FILE.tws: Ctrl+O, the file's path typed into the dialog, Return.
open_document() {
  xdotool key ctrl+o
  xdotool search --sync --name 'Open' > /dev/null
  sleep 1
  xdotool type --delay 20 "$1"
  xdotool key Return
}

# open_in_result_view FILE.tws: starts twinseek, opens the document and shows
# its result view, with the focus in the main window.
open_in_result_view() {
  start_twinseek
  open_document "$1"
  sleep 2
  xdotool windowfocus --sync "$window"
  xdotool key alt+v r
}

# Ctrl+S in the main window, then File > Exit as exit_by_menu.
save_and_exit() {
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+s
  sleep 1
  exit_by_menu
}

# File > Exit, then prints "exit status N" with the program's status.
exit_by_menu() {
  xdotool windowfocus --sync "$window"
  xdotool key alt+f
  sleep 0.5
  xdotool key x
  set +e
  wait "$program"
  echo "exit status $?"
}

# exited_by_menu OUTPUT: whether the drive ended with File > Exit's status, 1.
exited_by_menu() {
  [ "$(tail -n 1 <<<"$1")" = "exit status 1" ]
}

# same_groups A.json B.json: whether two lists of groups from twinseek-cli hold
# the same files. A group lists its files in the order they were digested,
# which several workers change, so groups are compared as sets of files.
same_groups() {
  python3 - "$1" "$2" <<'CHECK'
import json, sys
def groups(path):
    return sorted((g["size"], g["digest"], sorted(g["files"])) for g in json.load(open(path)))
first, second = groups(sys.argv[1]), groups(sys.argv[2])
if first != second:
    sys.exit("the groups differ:\n %s\n %s" % (first, second))
print("the same %d groups" % len(first))
CHECK
}

# Steps the X server checks share: sourced by the scripts they run under
# xvfb-run, with build set to the build folder.

# start_twinseek [ARGUMENT...]: starts twinseek with them; sets program (its
# process) and window, and gives it the focus.
start_twinseek() {
  "${twinseek:-$build/twinseek}" "$@" & program=$!
  window=$(xdotool search --sync --name '^Twinseek$' | head -n 1)
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  sleep 1
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

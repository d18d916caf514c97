#!/usr/bin/env bash
# The desktop program under a real X server, driven by keys as a person would:
# it starts with the window "Twinseek", opens a document that twinseek-cli
# saved (Ctrl+O, the file dialog), lists its files, and File > Exit ends it
# with status 1, leaving the eight settings values.
#   [SHOT=FILE.png] bash tests/xvfb/open-and-exit.sh BUILD-FOLDER
# Needs xvfb-run and xdotool (apt-get install xvfb xdotool).
set -euo pipefail
source "$(dirname "$0")/drive-common.sh"
begin_check "${1:-build}"
sample_document

output=$(under_x 2>/dev/null <<'DRIVE'
start_twinseek
open_document "$work/sample.tws"
sleep 2
xdotool search --name '^Error$' >/dev/null 2>&1 && { echo "the document did not open"; kill $program; exit 3; }
xdotool windowfocus --sync "$window"
shot
exit_by_menu
DRIVE
) || true
echo "$output"
settings="$XDG_CONFIG_HOME/Orvane/Twinseek.conf"
values=$(grep -cE '^(MainFramePos|ReBarBandCount|ReBar[01](ID|CX|BreakLine))=' "$settings" || true)
echo "settings values: $values"
exited_by_menu "$output" && [ "$values" = 8 ]

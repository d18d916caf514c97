#!/usr/bin/env bash
# The desktop program under a real X server, driven by keys as a person would:
# it starts with the window "Twinseek", opens a document that twinseek-cli
# saved (Ctrl+O, the file dialog), lists its files, and File > Exit ends it
# with status 1, leaving the eight settings values.
#   [SHOT=FILE.png] bash tests/xvfb/open-and-exit.sh BUILD-FOLDER
# Needs xvfb-run and xdotool (apt-get install xvfb xdotool).
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
common=$(realpath "$(dirname "$0")/drive-common.sh")
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME" "$work/tree/a" "$work/tree/b"
head -c 70000 /dev/urandom > "$work/tree/a/copy.bin"
cp "$work/tree/a/copy.bin" "$work/tree/b/copy.bin"
"$build/twinseek-cli" scan --compare all --save "$work/sample.tws" "$work/tree" > /dev/null

cat > "$work/drive.sh" <<DRIVE
set -euo pipefail
build="$build"
source "$common"
start_twinseek
open_document "$work/sample.tws"
sleep 2
xdotool search --name '^Error\$' >/dev/null 2>&1 && { echo "the document did not open"; kill \$program; exit 3; }
xdotool windowfocus --sync "\$window"
[ -z "\${SHOT:-}" ] || import -window root "\$SHOT"
exit_by_menu
DRIVE
output=$(xvfb-run -a -s "-screen 0 1280x900x24" bash "$work/drive.sh" 2>/dev/null)
echo "$output"
settings="$XDG_CONFIG_HOME/Orvane/Twinseek.conf"
values=$(grep -cE '^(MainFramePos|ReBarBandCount|ReBar[01](ID|CX|BreakLine))=' "$settings" || true)
echo "settings values: $values"
[ "$(tail -n 1 <<<"$output")" = "exit status 1" ] && [ "$values" = 8 ]

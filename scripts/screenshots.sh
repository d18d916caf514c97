#!/usr/bin/env bash
# Renders the desktop program offscreen to PNG files for review, at the default
# sizes the windows take on a 1366 x 768 screen, over files some of which have
# long names: the files view with a category chosen, a comparison under way,
# the result view with its groups, the delete dialog, the About box, the pages
# of the Disk Scan Wizard.
#   bash scripts/screenshots.sh [OUTPUT-FOLDER]    (screenshots/ by default)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-screenshots}"
build="${TWINSEEK_BUILD:-build-release}"
# TWINSEEK_BUILD names an existing build folder, used as it is configured.
[ -n "${TWINSEEK_BUILD:-}" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
cmake --build "$build" -j 2 --target twinseek-cli twinseek-screenshots >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A small tree with copies in several size categories, and some files alone.
copies() {  # copies SIZE NAME FOLDER...
  local size=$1 name=$2; shift 2
  head -c "$size" /dev/urandom > "$work/one"
  for folder in "$@"; do mkdir -p "$work/tree/$folder" && cp "$work/one" "$work/tree/$folder/$name"; done
}
copies 3145728 holiday.jpg Pictures Pictures/Backup
copies 2097152 concert.jpg Pictures Downloads
copies 307200 song.ogg Music Music/Old Downloads
copies 40960 report.pdf Documents Documents/Sent
copies 5000 notes.txt Documents Desktop
copies 200 todo.txt Documents Desktop Documents/Old Downloads
# Long names, as real folders have them.
long="Holiday photos from the summer trip to the mountains, 2019 (edited, full resolution)"
copies 2500000 "IMG_20190714_183512_panorama_stitched_final_version_for_printing.jpg" "Pictures/$long" "Backup/Phone/DCIM/Camera/$long"
for size in 90000 4100 777 1500000; do copies "$size" "alone-$size.bin" Downloads; done

# Only the tiny files are compared here, so the document has a group and the
# other categories are left for the comparison the pictures show.
"$build"/twinseek-cli scan --compare 7 --save "$work/sample.tws" "$work/tree" > /dev/null
# A common laptop screen, 1366 x 768: the windows open at their default sizes on it.
echo '{"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96}]}' > "$work/screen.json"
QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" "$build"/twinseek-screenshots "$work/sample.tws" "$out" "$work/tree"

#!/usr/bin/env bash
# Starts the program on the simulated bench under Xvfb from a fresh program folder with the
# "52K12" chip selected, clicks "USB Scan", opens the register and RAM panels, clicks "Read RAM",
# saves a screenshot and closes the program normally.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:-$top/docs/main-window.png}")"
bin="${QN_BIN:-$top/build/bin}"
[ -x "$bin/qn740xtest" ] || { echo "build first: ./qn build" >&2; exit 1; }

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cp "$bin/qn740xtest" "$folder/" && cp -r "$bin/INCLUDE" "$folder/"
cat > "$folder/drive.sh" <<'INNER'
set -eu
# A first run writes the settings file; the chip list's fourth entry (52K12) is then selected.
"$QN_FOLDER/qn740xtest" --simulate &
sleep 3
kill -TERM $! && wait $! || true
sed -i '2s/^ *[0-9]*/   3/' "$QN_FOLDER/QnADC.cfg"
"$QN_FOLDER/qn740xtest" --simulate &
pid=$!
sleep 3
# With no window manager the main window sits at the top-left corner. For 52K12 the menu bar
# reads: File, Option, USB Scan, Read RAM, ENOB Test
xdotool mousemove 127 10 click 1
sleep 1
for downs in "Down Down Down" "Down Down"; do
  xdotool mousemove 65 10 click 1
  sleep 0.5
  xdotool key $downs Return
  sleep 1
done
xdotool mousemove 201 10 click 1
sleep 1
# The RAM panel moves down to the right of the register panel's grids.
xdotool mousemove 300 63 mousedown 1 mousemove 420 140 mousemove 560 200 mouseup 1
sleep 1
import -window root "$QN_OUT"
kill -TERM "$pid"
wait "$pid" || true
INNER
QN_FOLDER="$folder" QN_OUT="$out" xvfb-run -a -s "-screen 0 1280x800x24" bash "$folder/drive.sh"
echo "screenshot: $out"
echo "settings written at close:"; ls "$folder"

#!/usr/bin/env bash
# Starts the program on the simulated bench under Xvfb from a fresh program folder, clicks
# "USB Scan", opens the ADC, RAM and register panels, saves a screenshot and closes the program
# normally.
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
"$QN_FOLDER/qn740xtest" --simulate &
pid=$!
sleep 3
# With no window manager the main window sits at the top-left corner. For the first chip of the
# catalogue the menu bar reads: Option, USB Scan, Read RAM, ENOB Test, ...
xdotool mousemove 92 10 click 1
sleep 1
for downs in "Down Down Down Down" "Down Down" "Down Down Down"; do
  xdotool mousemove 30 10 click 1
  sleep 0.5
  xdotool key $downs Return
  sleep 1
done
import -window root "$QN_OUT"
kill -TERM "$pid"
wait "$pid" || true
INNER
QN_FOLDER="$folder" QN_OUT="$out" xvfb-run -a -s "-screen 0 1280x800x24" bash "$folder/drive.sh"
echo "screenshot: $out"
echo "settings written at close:"; ls "$folder"

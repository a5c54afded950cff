#!/usr/bin/env bash
# Screenshots of the program on the simulated bench under Xvfb, each from a fresh program folder,
# closing the program normally afterwards:
#   tools/screenshot.sh [out.png]       the "52K12" chip after "USB Scan" and "Read RAM", with
#                                       the register and RAM panels open
#   tools/screenshot.sh out.png adc     the first chip after "USB Scan" with the ADC panel open,
#                                       the ADC switched on and continuous reading running
#   tools/screenshot.sh out.png analysis  the same, then "ENOB Test", a 4096-sample capture with
#                                       "Catch ADC" and its time-domain chart
#   tools/screenshot.sh out.png histogram|spectrum  the same capture in the analysis window's
#                                       histogram or spectrum view (the spectrum's at 1280 sps,
#                                       a rate the bridge carries)
#   tools/screenshot.sh out.png noise   the same, then a noise table of three data rates in the
#                                       analysis window's "Noise table" page
#   tools/screenshot.sh out.png temp    the three instruments selected in "Setup", then a
#                                       "T-Begin" of three temperatures and two steps, taken
#                                       while the chamber ramps to the second row
#   tools/screenshot.sh out.png setup   "Setup" after "Select" of the calibrator on COM1, the
#                                       supply on COM2 and the chamber on COM3
#   tools/screenshot.sh out.png steps   the "QN7402" chip, "Fluke" and "Power": the calibrator's
#                                       and the supply's step tables with two steps each
#   tools/screenshot.sh out.png compare the ADC switched on with "IRQEN", a capture saved with
#                                       "Save to CSV" (and its snapshot), "HS" switched on, then
#                                       the register panel's "Compare with snapshot…" of that file
#   tools/screenshot.sh out.png results the "temp" run with a soak of one minute, followed to its
#                                       end in "Results over temperature" (RMS noise per step)
#   tools/screenshot.sh out.png gate    the "temp" set-up with "Board stable" chosen in the
#                                       soak gate box, taken while the first row's gate waits
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:-$top/docs/main-window.png}")"
view="${2:-memory}"
bin="${QN_BIN:-$top/build/bin}"
[ -x "$bin/qn740xtest" ] || { echo "build first: ./qn build" >&2; exit 1; }

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cp "$bin/qn740xtest" "$folder/" && cp -r "$bin/INCLUDE" "$folder/"
cat > "$folder/drive.sh" <<'INNER'
set -eu
# With no window manager the main window sits at the top-left corner; the menu bar's items are
# clicked at their places.
option() { # $1: x of "Option", $2: downs to the item (Setup, RAM Panel, REG Panel, ADC Panel)
  xdotool mousemove "$1" 10 click 1
  sleep 0.5
  xdotool key $(printf 'Down %.0s' $(seq "$2")) Return
  sleep 1
}
if [ "$QN_VIEW" = memory ] || [ "$QN_VIEW" = steps ]; then
  # A first run writes the settings file; the chip list's fourth entry (52K12) or, for the step
  # tables, its second (QN7402, whose description file shows "Fluke" and "Power") is selected.
  "$QN_FOLDER/qn740xtest" --simulate &
  sleep 3
  kill -TERM $! && wait $! || true
  chip=3
  [ "$QN_VIEW" = steps ] && chip=1
  sed -i "2s/^ *[0-9]*/   $chip/" "$QN_FOLDER/QnADC.cfg"
fi
"$QN_FOLDER/qn740xtest" --simulate &
pid=$!
sleep 3
edit() { # an edit of a window: select all, type
  xdotool mousemove "$1" "$2" click --repeat 3 1
  sleep 0.2
  xdotool key ctrl+a
  xdotool type "$3"
  sleep 0.2
}
cell() { # a grid cell: double-click, type, Enter
  xdotool mousemove "$1" "$2" click --repeat 2 1
  sleep 0.3
  xdotool type "$3"
  xdotool key Return
  sleep 0.3
}
if [ "$QN_VIEW" = temp ] || [ "$QN_VIEW" = setup ] || [ "$QN_VIEW" = results ] ||
  [ "$QN_VIEW" = gate ]; then
  # Menu bar: Option, USB Scan, Read RAM, ENOB Test, 連續讀取. Setup: COM1, COM2 and COM3 in the
  # calibrator's, supply's and chamber's lists, each with its "Select".
  xdotool mousemove 92 10 click 1
  sleep 1
  option 30 1
  pick() {
    xdotool mousemove 245 "$1" click 1
    sleep 0.5
    [ "$2" -gt 0 ] && xdotool key $(printf 'Down %.0s' $(seq "$2"))
    xdotool key Return
    sleep 0.5
    xdotool mousemove 485 "$1" click 1
    sleep 3
  }
  pick 182 0
  pick 238 1
  pick 294 2
fi
if [ "$QN_VIEW" = temp ] || [ "$QN_VIEW" = results ] || [ "$QN_VIEW" = gate ]; then
  xdotool mousemove 485 328 click 1 # 關閉
  sleep 0.5
  xdotool mousemove 311 10 click 1 # 連續讀取: the temperature test window
  sleep 2
  edit 317 79 3
  edit 317 107 25.0
  edit 317 135 2.0
  xdotool mousemove 402 79 click 1 # SET
  sleep 0.5
  edit 317 191 2
  xdotool key Return
  edit 317 219 1
  edit 317 247 100
  # The register step grid: address 4 in the first column, two steps, delay 1 s, 2.4 V.
  cell 195 554 4
  cell 195 574 1
  cell 195 594 2
  cell 424 574 1
  cell 424 594 1
  cell 494 574 2.4
  cell 494 594 2.4
  if [ "$QN_VIEW" = gate ]; then
    xdotool mousemove 700 375 click 1 # the soak gate's list: "Board stable"
    sleep 0.5
    xdotool key Down Down Return
    sleep 0.5
  fi
  xdotool mousemove 185 361 click 1 # T-Begin
  if [ "$QN_VIEW" = temp ]; then
    sleep 90
  elif [ "$QN_VIEW" = gate ]; then
    sleep 40
  else
    sleep 5
    xdotool mousemove 285 527 click 1 # Results over temperature
    sleep 1.5
    xdotool mousemove 479 34 click 1  # its maximise button: the chart fills the main window
    sleep 1
    xdotool mousemove 343 33 click 1  # Follow the running test
    sleep 0.5
    xdotool mousemove 50 33 click 1   # the figure: RMS noise
    sleep 0.5
    xdotool key Down Return
    # The run leaves QnTEMPA.CSV when it ends, about six minutes after T-Begin.
    for _ in $(seq 600); do
      [ -e "$QN_FOLDER/QnTEMPA.CSV" ] && break
      sleep 1
    done
    sleep 3
  fi
elif [ "$QN_VIEW" = setup ]; then
  :
elif [ "$QN_VIEW" = compare ]; then
  # Menu bar: Option, USB Scan, Read RAM, ENOB Test; ENADC and IRQEN on the ADC panel.
  xdotool mousemove 92 10 click 1
  sleep 1
  option 30 4
  xdotool mousemove 563 204 click 1
  sleep 0.5
  xdotool mousemove 663 309 click 1
  sleep 0.5
  xdotool mousemove 241 10 click 1 # ENOB Test
  sleep 1
  xdotool mousemove 426 143 click 1 # Catch ADC
  sleep 3
  xdotool mousemove 522 143 click 1 # Save to CSV: the file dialog offers QnADC.CSV
  sleep 1.5
  xdotool key Return
  sleep 1
  xdotool mousemove 580 79 click 1 # HS on the ADC panel
  sleep 0.5
  option 30 3                      # REG Panel
  sleep 1
  xdotool mousemove 668 148 click 1 # Compare with snapshot…
  sleep 1.5
  xdotool type "QnADC.CSV.snapshot"
  xdotool key Return
  sleep 1.5
elif [ "$QN_VIEW" = steps ]; then
  # Menu bar: Option, USB Scan, Read RAM, ENOB Test, 連續讀取, Fluke, Power.
  xdotool mousemove 92 10 click 1
  sleep 1
  xdotool mousemove 364 10 click 1 # Fluke
  sleep 1.5
  cell 159 78 1
  cell 294 78 "OUT 100 mV ,0 Hz"
  cell 159 98 1
  cell 294 98 "OUT 200 mV ,0 Hz"
  xdotool mousemove 413 10 click 1 # Power: opens over the calibrator's table, moved right
  sleep 1.5
  xdotool mousemove 290 34 mousedown 1 mousemove 400 40 mousemove 650 34 mouseup 1
  sleep 0.5
  cell 547 78 1
  cell 682 78 "VOLT 3.3"
  cell 547 98 1
  cell 682 98 "VOLT 3.0"
elif [ "$QN_VIEW" = memory ]; then
  # Menu bar: File, Option, USB Scan, Read RAM, ENOB Test
  xdotool mousemove 127 10 click 1
  sleep 1
  option 65 3
  option 65 2
  xdotool mousemove 201 10 click 1
  sleep 1
  # The RAM panel moves down to the right of the register panel's grids.
  xdotool mousemove 300 63 mousedown 1 mousemove 420 140 mousemove 560 200 mouseup 1
else
  # Menu bar: Option, USB Scan, Read RAM, ENOB Test, ...; then ENADC and IRQEN on the panel:
  # without both a capture brings no samples.
  xdotool mousemove 92 10 click 1
  sleep 1
  option 30 4
  xdotool mousemove 563 204 click 1
  sleep 0.5
  xdotool mousemove 663 309 click 1
  sleep 0.5
  if [ "$QN_VIEW" = spectrum ]; then
    # OSR 001, 1280 sps: a rate the bridge carries, so the spectrum draws its density.
    xdotool mousemove 513 79 click 1
    sleep 0.5
    xdotool key Down Return
    sleep 0.5
  fi
  if [ "$QN_VIEW" = adc ]; then
    xdotool mousemove 695 273 click 1 # STOP: continuous reading
  else
    xdotool mousemove 241 10 click 1 # ENOB Test
    sleep 1
    xdotool mousemove 207 143 click 1 # Sample Point: 4096
    sleep 0.5
    xdotool key Down Down Down Down Return
    sleep 0.5
    xdotool mousemove 426 143 click 1 # Catch ADC: about 3.3 s at 1280 sps
    sleep 5
    xdotool mousemove 522 166 click 1 # Chang to Chart
    sleep 0.5
    [ "$QN_VIEW" = histogram ] && xdotool mousemove 186 193 click 1 # the "Histogram" tab
    [ "$QN_VIEW" = spectrum ] && xdotool mousemove 271 193 click 1  # the "Spectrum" tab
    if [ "$QN_VIEW" = noise ]; then
      xdotool mousemove 360 193 click 1 # the "Noise table" tab
      sleep 0.5
      xdotool mousemove 635 225 click 1 # Rates (sps)
      xdotool type "960,1920,3840"
      xdotool mousemove 140 253 click 1 # Start
      sleep 75                          # 96 points of 1024 samples
    fi
  fi
fi
sleep 1
import -window root "$QN_OUT"
kill -TERM "$pid"
wait "$pid" || true
INNER
QN_FOLDER="$folder" QN_OUT="$out" QN_VIEW="$view" \
  xvfb-run -a -s "-screen 0 1280x800x24" bash "$folder/drive.sh"
echo "screenshot: $out"
echo "settings written at close:"; ls "$folder"

#!/usr/bin/env bash
# Makes every picture of the user guide (docs/guide.md) into docs/guide/, each with
# tools/screenshot.sh on the simulated bench under Xvfb, cropped to the main window (1024 x 700)
# and reduced to 256 colours. QN_BIN names another folder holding qn740xtest and INCLUDE/
# (default build/bin), e.g. a copy that no build replaces while the pictures are taken.
#   tools/guide-shots.sh              every picture, one after the other (about 15 minutes: the
#                                     results chart waits for a whole temperature run)
#   tools/guide-shots.sh temp steps   only the pictures of these views
# Views and pictures: memory main-window.png, setup setup-dialog.png, adc adc-panel.png,
# analysis analysis-chart.png, histogram histogram.png, spectrum spectrum.png, noise
# noise-table.png, temp temp-test.png, steps step-tables.png, compare compare-snapshot.png,
# results results-chart.png, gate temp-gate.png.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$top/docs/guide"
mkdir -p "$out"
declare -A picture=(
  [memory]=main-window.png [setup]=setup-dialog.png [adc]=adc-panel.png
  [analysis]=analysis-chart.png [histogram]=histogram.png [spectrum]=spectrum.png
  [noise]=noise-table.png [temp]=temp-test.png [steps]=step-tables.png
  [compare]=compare-snapshot.png [results]=results-chart.png [gate]=temp-gate.png
)
views=("$@")
[ ${#views[@]} -gt 0 ] ||
  views=(memory setup adc analysis histogram spectrum noise temp steps compare results gate)
for view in "${views[@]}"; do
  name="${picture[$view]:-}"
  [ -n "$name" ] || { echo "unknown view: $view" >&2; exit 2; }
  raw="$(mktemp --suffix=.png)"
  "$top/tools/screenshot.sh" "$raw" "$view" >/dev/null
  convert "$raw" -crop 1024x700+0+0 +repage -colors 256 "PNG8:$out/$name"
  rm -f "$raw"
  echo "$out/$name"
done

#!/usr/bin/env bash
# The README's pictures, taken from the real clear-and-restart cycle on a virtual display: the ready state from
# the demo (Quellary opened beside the running stand-in client) and the done state from the whole-cycle test
# (after Start ended the client and its tasks). Run through with-wine.sh without a display (`make pictures`).
#   scripts/make-pictures.sh <windows build directory> <folder for the pictures>
set -euo pipefail
build=$(cd "${1:?usage: make-pictures.sh <windows build directory> <folder for the pictures>}" && pwd)
out=${2:?usage: make-pictures.sh <windows build directory> <folder for the pictures>}
here=$(cd "$(dirname "$0")" && pwd)
shots=$build/screenshots
if [ -z "${QUELLARY_IN_XVFB:-}" ]; then
    echo "make-pictures: run through scripts/with-wine.sh without DISPLAY, so that the pictures come from a" \
        "virtual display of a known size and the demo takes its picture by itself" >&2
    exit 1
fi
mkdir -p "$out"

# The demo saves the whole screen once Quellary shows; the screen's empty black around the two windows goes.
rm -f "$shots/demo.png"
"$here/run-demo.sh" "$build" >/dev/null
convert "$shots/demo.png" -trim +repage "$out/ready-state.png"
# The demo leaves its client and tasks running; the whole cycle must start from none.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p

rm -f "$shots/restart-done.bmp"
"$here/wine-test.sh" "$build/bin/program_restart_tests.exe" \
    --gtest_filter=ProgramRestart.StartClearsTheClientsTasksAndRestartBringsTheClientBack >"$build/pictures.log" ||
    { echo "make-pictures: the whole cycle failed (see $build/pictures.log)" >&2; exit 1; }
convert "$shots/restart-done.bmp" "$out/done-state.png"
echo "make-pictures: $out/ready-state.png and $out/done-state.png"

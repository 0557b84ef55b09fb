#!/bin/sh
# Checks under a real window manager (openbox on Xvfb) that progress windows and
# the questions asked during long work open over the active window and take the
# keyboard: runs the GUI test WindowStacking* on the X display and saves the
# screens it looked at as PNGs in the folder given (default /tmp/korvane-stacking).
# Needs xvfb, openbox, x11-utils (xprop) and xdotool; run after a build of build/test.
set -e
cd "$(dirname "$0")/.."
out=${1:-/tmp/korvane-stacking}
mkdir -p "$out"
display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $wm $xvfb 2>/dev/null' EXIT
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 &
wm=$!
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb KORVANE_WM_CHECK="$out" \
  build/test/tests/korvane_gui_tests --gtest_filter='WindowStacking*'
echo "screens in $out"

#!/usr/bin/env bash
# Runs a test program on a private X display with a notification area.
set -u
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $tray $xvfb 2>/dev/null; wait 2>/dev/null' EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
trayer --edge top --align right --widthtype pixel --width 100 --height 24 >/dev/null 2>&1 &
tray=$!
export QT_QPA_PLATFORM=xcb
"$@"

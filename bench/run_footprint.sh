#!/usr/bin/env bash
# Runs the footprint benchmark under a private Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$root/build/default/bin}"
if [ -z "${1:-}" ]; then
  cmake --preset default -DZAVTREL_BUILD_BENCH=ON >/dev/null
  cmake --build --preset default --target zavtrel footprint_bench bare_tray_app
fi
export XDG_RUNTIME_DIR=$(mktemp -d)
Xvfb :58 -screen 0 1024x720x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb; rm -rf "$XDG_RUNTIME_DIR"' EXIT
export DISPLAY=:58
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$bin/footprint_bench" "$bin/zavtrel" "$bin/bare_tray_app" "${IDLE:-10}" "${RUNS:-3}"

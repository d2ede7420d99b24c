#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang, libFuzzer, AddressSanitizer
# and UBSan) and runs each for ZAVTREL_FUZZ_SECONDS (default 60) from its
# seeds and the corpus kept in build/fuzz; fails on a crash, a leak, a
# time-out or a sanitizer report, leaving the input beside the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if ! command -v clang++-14 > /dev/null; then
  sudo=$([ "$(id -u)" -ne 0 ] && echo sudo || true)
  $sudo apt-get update -qq
  $sudo apt-get install -y -q clang-14
fi
cmake --preset fuzz -DZAVTREL_FUZZ_SECONDS="${ZAVTREL_FUZZ_SECONDS:-60}" > /dev/null
cmake --build --preset fuzz
ctest --preset fuzz

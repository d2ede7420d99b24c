#!/usr/bin/env bash
# The test suite under the sanitizers: every test but the guest's and the
# package's under AddressSanitizer + UBSan with leak detection, and the tests
# that run threads under ThreadSanitizer. Each preset builds only what its
# tests need.
#   scripts/sanitize.sh [asan|tsan]...   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(asan tsan)
for preset in "${presets[@]}"; do
  start=$(date +%s)
  cmake --preset "$preset" > /dev/null
  cmake --build --preset "$preset"
  built=$(date +%s)
  ctest --preset "$preset" --no-tests=error
  echo "$preset: built in $((built - start)) s, tested in $(($(date +%s) - built)) s"
done

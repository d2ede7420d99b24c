#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-layers.sh
bash scripts/check-format.sh
cmake --preset default
cmake --build --preset default
ctest --preset default --no-tests=error

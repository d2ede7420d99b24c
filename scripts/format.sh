#!/usr/bin/env bash
# Formats every C++ file of the repository with the pinned clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format-14 -i

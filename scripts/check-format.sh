#!/usr/bin/env bash
# Fails when a C++ file differs from .clang-format as the pinned clang-format
# (14, Debian's clang-format-14) lays it out. scripts/format.sh fixes it.
set -euo pipefail
cd "$(dirname "$0")/.."
cf=$(command -v clang-format-14 || true)
if [ -z "$cf" ]; then
    echo "clang-format-14 is missing; scripts/install-deps.sh installs it" >&2
    exit 1
fi
git ls-files -z '*.h' '*.cpp' | xargs -0 "$cf" --dry-run -Werror
echo "format: every file follows .clang-format"

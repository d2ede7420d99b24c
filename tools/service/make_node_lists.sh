#!/usr/bin/env bash
# Regenerates data/content/Vip.ini and Free.ini from make_node_lists.cpp.
# Usage: tools/service/make_node_lists.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/default}"
cmake --build "$build" --target make_node_lists
"$build/bin/make_node_lists" "$root/tools/service/data/content"

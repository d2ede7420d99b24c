#!/usr/bin/env bash
# Writes the reference service's Flash movies and the tests' movie.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
swf="python3 $here/make_swf.py"
# Banner: a bar sweeping across, looping.
$swf "$here/data/content/admain.swf" --size 217 49 --fps 12 --frames 24 --color 1D4F91 --stripe FFAD33
# Pop-up: six seconds, then fscommand("quit").
$swf "$here/data/ad/popup.swf" --size 331 228 --fps 1 --frames 6 --color 2A66B5 --color 1D4F91 --stripe FFAD33 \
  --command 6 quit --stop
# Tests: quits on its third frame, a third of a second in.
$swf "$here/../../tests/data/quit_soon.swf" --size 331 228 --fps 10 --frames 3 --color 3366CC --color CC6633 \
  --command 3 quit --stop

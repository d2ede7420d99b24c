#!/usr/bin/env bash
# Draws the reference service's button-bar images: 30 x 30 Windows bitmaps,
# a normal (a) and a highlighted (b) picture per entry.
#   make_bar_images.sh OUTDIR
set -euo pipefail
out=${1:?usage: make_bar_images.sh OUTDIR}
mkdir -p "$out"

# glyph NAME DRAW: the white-on-blue picture pair with the given drawing.
glyph() {
  local name=$1 draw=$2
  for state in a b; do
    if [ "$state" = a ]; then bg='rgb(29,79,145)'; fg='rgb(207,224,247)'; else bg='rgb(42,102,181)'; fg='white'; fi
    convert -size 30x30 'xc:rgb(214,226,242)' \
      -fill "$bg" -draw 'roundrectangle 1,1 28,28 5,5' \
      -fill "$fg" -stroke "$fg" -draw "$draw" \
      -type TrueColor "BMP3:$out/$name$state.bmp"
  done
}

glyph tuvek1 'polygon 11,8 22,15 11,22'                                         # connect: play
glyph tuvek2 'rectangle 13,7 17,15 polygon 9,15 21,15 15,22 rectangle 8,23 22,24' # software: download
glyph tuvek3 'roundrectangle 7,11 23,20 3,3 fill rgb(29,79,145) stroke none rectangle 10,15 14,16 rectangle 11.5,13 12.5,18 circle 19,14 19.7,14 circle 19,18 19.7,18' # games: pad

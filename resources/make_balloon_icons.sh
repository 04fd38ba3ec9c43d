#!/usr/bin/env bash
# Draws the balloon's three 16 x 16 icons (information, error, warning) as 24-bit bitmaps on a
# magenta background, which the balloon leaves out when it draws them (it takes the bottom-left
# pixel's colour as the transparent one). Needs ImageMagick (scripts/setup installs it). The
# committed balloon_*.bmp files were made with this script.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

icon() {  # name, then ImageMagick drawing arguments
  local name=$1
  shift
  convert -size 16x16 xc:'#ff00ff' +antialias "$@" -type TrueColor "BMP3:balloon_${name}.bmp"
}

# A blue disc with a white "i".
icon info -fill '#2f6fc0' -stroke '#1d4a85' -draw 'circle 7.5,7.5 7.5,0.5' \
  -stroke none -fill '#ffffff' -draw 'rectangle 7,3 8,4' -draw 'rectangle 7,6 8,12' -draw 'rectangle 6,12 9,12'
# A red disc with a white cross.
icon error -fill '#d0312d' -stroke '#8e1b18' -draw 'circle 7.5,7.5 7.5,0.5' \
  -stroke '#ffffff' -strokewidth 2 -draw 'line 5,5 10,10' -draw 'line 10,5 5,10'
# A yellow triangle with a black "!".
icon warning -fill '#f2c31b' -stroke '#8a6d00' -draw 'polygon 7.5,0.5 15,14.5 0.5,14.5' \
  -stroke none -fill '#000000' -draw 'rectangle 7,5 8,10' -draw 'rectangle 7,12 8,13'

#!/usr/bin/env bash
# Draws the program icon (a calendar page with a blue header and today's square marked) at 16,
# 20, 24, 32 and 48 pixels (the small icon at 100, 125 and 150 % display scale, the large one at
# 100 and 150 %) and packs them into tessel.ico. Needs ImageMagick (scripts/setup installs
# it). The committed tessel.ico was made with this script.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

draw() {  # size
  local s=$1
  local k
  k=$(awk "BEGIN{print $s/48}")
  sc() { awk "BEGIN{printf \"%d\", $1*$k + 0.5}"; }
  convert -size "${s}x${s}" xc:none \
    -fill '#ffffff' -stroke '#2f4f7f' -strokewidth "$(awk "BEGIN{print ($s<32)?1:2}")" \
    -draw "roundrectangle $(sc 4),$(sc 7) $(sc 43),$(sc 44) $(sc 5),$(sc 5)" \
    -stroke none -fill '#3a6ea5' \
    -draw "roundrectangle $(sc 5),$(sc 8) $(sc 42),$(sc 17) $(sc 4),$(sc 4)" \
    -draw "rectangle $(sc 5),$(sc 13) $(sc 42),$(sc 17)" \
    -fill '#2f4f7f' \
    -draw "rectangle $(sc 13),$(sc 3) $(sc 16),$(sc 11)" \
    -draw "rectangle $(sc 31),$(sc 3) $(sc 34),$(sc 11)" \
    -fill '#9fb3c8' \
    -draw "rectangle $(sc 10),$(sc 22) $(sc 16),$(sc 27)" \
    -draw "rectangle $(sc 21),$(sc 22) $(sc 27),$(sc 27)" \
    -draw "rectangle $(sc 32),$(sc 22) $(sc 38),$(sc 27)" \
    -draw "rectangle $(sc 10),$(sc 32) $(sc 16),$(sc 37)" \
    -draw "rectangle $(sc 32),$(sc 32) $(sc 38),$(sc 37)" \
    -fill '#e8793a' \
    -draw "rectangle $(sc 21),$(sc 32) $(sc 27),$(sc 37)" \
    "PNG32:$work/icon-$s.png"
}

sizes=(16 20 24 32 48)
files=()
for s in "${sizes[@]}"; do
  draw "$s"
  files+=("$work/icon-$s.png")
done
convert "${files[@]}" tessel.ico
echo "wrote $(pwd)/tessel.ico"

#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the program's pictures with ImageMagick (a Debian package), beside this script:
#   handset.bmp        bitmap 137: 112 x 105, 8-bit palette, a yellow handset on a light shaded
#                      disc cut by the right and bottom edges, pure magenta (the transparent key
#                      colour) outside the disc
#   handset_detail.png the same picture four times as large, transparent outside the disc, which
#                      screens with more than one device pixel per pixel draw instead
#   icon_program.png   icon 113, the program's 16 x 16 icon (and pelorin.png, 64 x 64, for the
#                      desktop entry)
#   icon_folder.png    icon 114, a directory row
#   icon_call.png      icon 139, a scheduled call row
#   icon_contact.png   icon 142, a caller name row
#   icon_music.png     icon 143, a ringtone file row
# Everything is drawn four times larger and scaled down, so edges are smooth.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

S=4
W=$((112 * S))
H=$((105 * S))
yellow='#F5C400'
outline='#8A6A00'

# The handset of the incoming-call screen, in a frame of 136 x 68 units centred on 0,0.
handset() {
  local transform="$1"
  echo "-stroke '$outline' -strokewidth $((2 * S)) -fill '$yellow'" \
    "-draw \"$transform roundrectangle $((-34 * S)),$((-9 * S)) $((34 * S)),$((1 * S)) $((6 * S)),$((6 * S))\"" \
    "-draw \"$transform roundrectangle $((-38 * S)),$((-4 * S)) $((-18 * S)),$((16 * S)) $((6 * S)),$((6 * S))\"" \
    "-draw \"$transform roundrectangle $((18 * S)),$((-4 * S)) $((38 * S)),$((16 * S)) $((6 * S)),$((6 * S))\"" \
    "-stroke none -fill '#FFE680'" \
    "-draw \"$transform roundrectangle $((-30 * S)),$((-7 * S)) $((30 * S)),$((-4 * S)) $((2 * S)),$((2 * S))\""
}

# Bitmap 137. The disc (centre 70,66, radius 64) stays inside the left and top edges and is cut
# by the right and bottom ones, so the picture sits in the screen's bottom-right corner with
# the key colour left over at its other three corners. Lit from the top left.
convert -size ${W}x${H} xc:none \
  \( -size $((180 * S))x$((180 * S)) radial-gradient:'#FFFFFF'-'#A9B9CC' \) -geometry +$((-34 * S))+$((-38 * S)) -composite \
  \( -size ${W}x${H} xc:black -fill white -draw "circle $((70 * S)),$((66 * S)) $((70 * S)),$((2 * S))" \) \
  -alpha off -compose CopyOpacity -composite "$work/disc.png"
eval convert -size ${W}x${H} xc:none "$(handset "translate $((64 * S)),$((60 * S)) rotate -35 scale 1.05,1.05")" "$work/handset.png"
# Pixels less than half covered become the key colour; no dithering, so magenta stays exact.
# Written uncompressed (BI_RGB), one palette index per pixel.
convert "$work/disc.png" "$work/handset.png" -composite -resize 112x105! \
  \( +clone -alpha extract -threshold 50% \) -alpha off -compose CopyOpacity -composite \
  -background '#FF00FF' -compose Over -flatten +dither -colors 255 -type Palette -compress None \
  BMP3:"$work/handset.bmp"
# The finer picture keeps the drawing's own smooth edges; no time stamps, so it is made alike.
convert "$work/disc.png" "$work/handset.png" -composite -strip PNG32:handset_detail.png
# Pad the palette to the full 256 entries of an 8-bit bitmap (ImageMagick writes only those used).
python3 - "$work/handset.bmp" handset.bmp <<'PAD'
import struct, sys
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
header, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
used, = struct.unpack_from("<I", data, 46)
used = used or 256
assert (bits, compression) == (8, 0), "expected an uncompressed 8-bit bitmap"
palette = data[14 + header:14 + header + 4 * used] + bytes(4 * (256 - used))
pixels = data[offset:]
info = bytearray(data[14:14 + header])
struct.pack_into("<II", info, 32, 256, 0)  # colours used, colours important (all)
start = 14 + len(info) + len(palette)
file = struct.pack("<2sIHHI", b"BM", start + len(pixels), 0, 0, start)
open(sys.argv[2], "wb").write(file + info + palette + pixels)
PAD

# Icons, drawn on 64 x 64.
icon() {
  local name="$1"
  shift
  eval convert -size 64x64 xc:none "$@" -resize 16x16 "PNG32:$name"
}
S=1
icon "$work/program64.png" -fill "'#1E5AA8'" -draw "\"circle 32,32 32,2\"" \
  "$(handset "translate 32,34 rotate -35 scale 0.75,0.75")"
convert "$work/program64.png" icon_program.png
eval convert -size 64x64 xc:none -fill "'#1E5AA8'" -draw "\"circle 32,32 32,2\"" \
  "$(handset "translate 32,34 rotate -35 scale 0.75,0.75")" PNG32:pelorin.png
icon icon_folder.png -stroke "'#8A6A00'" -strokewidth 3 -fill "'#F2C14E'" \
  -draw "\"roundrectangle 4,12 28,24 4,4\"" -draw "\"roundrectangle 4,18 60,56 4,4\""
icon icon_call.png -stroke "'#2D6A2D'" -strokewidth 5 -fill "'#FFFFFF'" -draw "\"circle 32,32 32,5\"" \
  -strokewidth 6 -draw "\"line 32,32 32,14\"" -draw "\"line 32,32 46,38\""
icon icon_contact.png -stroke none -fill "'#1E5AA8'" -draw "\"circle 32,20 32,6\"" \
  -draw "\"ellipse 32,60 24,24 180,360\""
icon icon_music.png -stroke none -fill "'#7A2E8E'" -draw "\"ellipse 18,50 11,8 0,360\"" \
  -draw "\"ellipse 46,44 11,8 0,360\"" -draw "\"rectangle 25,10 29,50\"" \
  -draw "\"rectangle 53,6 57,44\"" -draw "\"polygon 25,10 57,4 57,14 25,20\""

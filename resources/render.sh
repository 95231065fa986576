#!/bin/sh
# Renders the embedded pictures from their SVG sources in src/.
# Needs rsvg-convert (Debian package librsvg2-bin) and python3 for the format check;
# the Windows program icon, quorvin-settings.ico, is made from the logo with
# ImageMagick's convert and icotool (Debian packages imagemagick, icoutils).
# Every output must be an 8-bit RGBA PNG of the exact size listed below.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

# render NAME SIZE [OUTPUT]: src/NAME.svg as a SIZE × SIZE picture, OUTPUT.png
# (by default NAME.png).
render() {
    name=$1
    size=$2
    out=${3:-$name}
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
        --format png --output "$out.png.tmp" "src/$name.svg"
    mv "$out.png.tmp" "$out.png"
}

render MainLogoR 600
render bot 250
render volum0 30
render volum1 30
render volum2 30
# The pictures the window shows, at twice the size, for screens scaled by 2 or
# more; Qt reads the "@2x" in the name as that. The logo needs none: the window
# icon is drawn smaller than its 600 pixels.
render bot 500 bot@2x
for name in volum0 volum1 volum2; do
    render "$name" 60 "$name@2x"
done

# The icon Windows shows for the program: the logo at the sizes Explorer, the
# taskbar and the Start menu ask for, the largest one PNG-compressed.
icon_sizes="16 24 32 48 64"
scratch=$(mktemp -d)
for size in $icon_sizes 256; do
    convert MainLogoR.png -resize "${size}x${size}" -strip "PNG32:$scratch/$size.png"
done
# shellcheck disable=SC2046
icotool -c -o quorvin-settings.ico $(for size in $icon_sizes; do echo "$scratch/$size.png"; done) \
    -r "$scratch/256.png"
rm -rf "$scratch"

# Check the PNG header: width, height, bit depth 8, colour type 6 (RGBA).
python3 - MainLogoR.png:600 bot.png:250 volum0.png:30 volum1.png:30 volum2.png:30 \
    bot@2x.png:500 volum0@2x.png:60 volum1@2x.png:60 volum2@2x.png:60 <<'PY'
import struct
import sys

failed = False
for arg in sys.argv[1:]:
    path, size = arg.split(":")
    with open(path, "rb") as f:
        head = f.read(29)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        print(f"{path}: not a PNG file")
        failed = True
        continue
    width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
    ok = width == height == int(size) and depth == 8 and colour == 6
    print(f"{path}: {width}x{height}, {depth}-bit, colour type {colour}"
          + ("" if ok else "  <-- expected %sx%s, 8-bit, colour type 6" % (size, size)))
    failed = failed or not ok
sys.exit(1 if failed else 0)
PY

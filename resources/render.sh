#!/bin/sh
# Renders the embedded pictures from their SVG sources in src/.
# Needs rsvg-convert (Debian package librsvg2-bin) and python3 for the format check.
# Every output must be an 8-bit RGBA PNG of the exact size listed below.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

render() {
    name=$1
    size=$2
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
        --format png --output "$name.png.tmp" "src/$name.svg"
    mv "$name.png.tmp" "$name.png"
}

render MainLogoR 600
render bot 250
render volum0 30
render volum1 30
render volum2 30

# Check the PNG header: width, height, bit depth 8, colour type 6 (RGBA).
python3 - MainLogoR.png:600 bot.png:250 volum0.png:30 volum1.png:30 volum2.png:30 <<'PY'
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

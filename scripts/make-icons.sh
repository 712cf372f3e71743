#!/usr/bin/env bash
# Renders app/win32/icons/corvane.svg into app/win32/icons/corvane.ico, the
# image of icon resources 107 and 108: 32 and 16 pixels at 16 colours, 48, 32
# and 16 at 256 colours, 48, 32 and 16 at 32-bit colour, in that order.
# Needs ImageMagick's convert. Run it after changing the drawing and commit
# both files.
set -euo pipefail
cd "$(dirname "$0")/.."

src=app/win32/icons/corvane.svg
out=app/win32/icons/corvane.ico
convert=${CONVERT:-convert}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The drawing is 16 units wide and ImageMagick renders SVG at 96 dpi, so this
# density gives each size directly, without a blurring resize.
for size in 16 32 48; do
    "$convert" -background none -density $((96 * size / 16)) "$src" "png32:$work/$size.png"
    "$convert" "$work/$size.png" -channel A -threshold 50% +channel "png32:$work/$size-mask.png"
done

# Palette images keep only on/off transparency (the icon's AND mask), so they
# start from the binary-alpha renderings; the colour count then sets the bit
# depth that the icon writer picks.
"$convert" \
    \( "$work/32-mask.png" -colors 16 \) \( "$work/16-mask.png" -colors 16 \) \
    \( "$work/48-mask.png" -colors 256 \) \( "$work/32-mask.png" -colors 256 \) \
    \( "$work/16-mask.png" -colors 256 \) \
    "$work/48.png" "$work/32.png" "$work/16.png" \
    "$out"

# The writer chooses the depth from the colours it finds: check the result.
expected="32x32:4 16x16:4 48x48:8 32x32:8 16x16:8 48x48:32 32x32:32 16x16:32"
actual=""
count=$(od -An -tu2 -j4 -N2 "$out" | tr -d ' ')
for ((i = 0; i < count; i++)); do
    entry=$((6 + 16 * i))
    width=$(od -An -tu1 -j"$entry" -N1 "$out" | tr -d ' ')
    height=$(od -An -tu1 -j$((entry + 1)) -N1 "$out" | tr -d ' ')
    bits=$(od -An -tu2 -j$((entry + 6)) -N2 "$out" | tr -d ' ')
    actual+="${actual:+ }${width}x${height}:${bits}"
done
if [[ "$actual" != "$expected" ]]; then
    echo "make-icons: $out holds \"$actual\", expected \"$expected\"" >&2
    exit 1
fi
echo "make-icons: wrote $out ($actual)"

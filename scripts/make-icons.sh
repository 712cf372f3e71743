#!/usr/bin/env bash
# Renders each drawing app/win32/icons/NAME.svg into app/win32/icons/NAME.ico:
# corvane.ico, the image of icon resources 107 and 108, and the three images
# of the notification-area icon (tray-bridging, tray-waiting, tray-stopped).
# Each holds 32 and 16 pixels at 16 colours, 48, 32 and 16 at 256 colours,
# 48, 32 and 16 at 32-bit colour, in that order. Needs ImageMagick's convert
# and, to draw the SVG, rsvg-convert (Debian: librsvg2-bin). Run it after
# changing a drawing, naming the drawings to render (all when none is named):
#   scripts/make-icons.sh tray-stopped
# and commit both files.
set -euo pipefail
cd "$(dirname "$0")/.."

convert=${CONVERT:-convert}
rsvg=${RSVG_CONVERT:-rsvg-convert}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() {
    local src=$1 out=$2
    # Drawn at each size from the vector, never resized from another size:
    # the 16-unit grid keeps the 16x16 image crisp.
    for size in 16 32 48; do
        "$rsvg" -w "$size" -h "$size" -o "$work/$size-drawn.png" "$src"
        "$convert" "$work/$size-drawn.png" "png32:$work/$size.png"
        "$convert" "$work/$size.png" -channel A -threshold 50% +channel "png32:$work/$size-mask.png"
    done

    # Palette images keep only on/off transparency (the icon's AND mask), so
    # they start from the binary-alpha renderings; the colour count then sets
    # the bit depth that the icon writer picks.
    "$convert" \
        \( "$work/32-mask.png" -colors 16 \) \( "$work/16-mask.png" -colors 16 \) \
        \( "$work/48-mask.png" -colors 256 \) \( "$work/32-mask.png" -colors 256 \) \
        \( "$work/16-mask.png" -colors 256 \) \
        "$work/48.png" "$work/32.png" "$work/16.png" \
        "$out"

    # The writer chooses the depth from the colours it finds: check the result.
    local expected="32x32:4 16x16:4 48x48:8 32x32:8 16x16:8 48x48:32 32x32:32 16x16:32"
    local actual="" count entry width height bits i
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
}

names=("$@")
if [[ ${#names[@]} -eq 0 ]]; then
    names=(corvane tray-bridging tray-waiting tray-stopped)
fi
for name in "${names[@]}"; do
    render "app/win32/icons/$name.svg" "app/win32/icons/$name.ico"
done

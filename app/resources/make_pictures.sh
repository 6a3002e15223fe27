#!/usr/bin/env bash
# Draws the pictures of the pages (resources 202 to 217) and the program icon with ImageMagick.
# The JPEG files it writes are kept in the repository; run it again only to change them.
#   app/resources/make_pictures.sh    (needs ImageMagick's convert and the DejaVu fonts)
set -euo pipefail
cd "$(dirname "$0")"
OUT=pictures
mkdir -p "$OUT"

BG='#FAFAFA'       # the page background, so the pictures sit on it without a visible edge
INK='#1D3557'      # dark blue lines and text
TEAL='#2A9D8F'
AMBER='#E9A23B'
RED='#C8553D'
PALE='#DDE7F0'
FONT=DejaVu-Sans
BOLD=DejaVu-Sans-Bold

jpeg() {  # jpeg <file> <width> <height> <convert drawing options...>
    local file=$1 width=$2 height=$3
    shift 3
    convert -size "${width}x${height}" "xc:$BG" "$@" -strip -sampling-factor 4:4:4 -quality 92 "$OUT/$file"
}

# A lightning "V" in a rounded square, the mark of the program, as drawing options in MARK.
mark() {  # mark <x> <y> <size>
    local x=$1 y=$2 s=$3
    p() { echo "$((x + s * $1 / 100)),$((y + s * $2 / 100))"; }
    MARK=(-fill "$INK" -stroke none -draw "roundrectangle $x,$y $((x + s)),$((y + s)) $((s / 5)),$((s / 5))"
          -fill "$AMBER" -draw "polygon $(p 22 22) $(p 40 22) $(p 52 58) $(p 64 22) $(p 80 22) $(p 58 80) $(p 46 80)")
}

# A controller: a box with cooling fins, two terminals and the family's name on its face.
controller() {  # controller <file> <colour> <label> <pointsize>
    local file=$1 colour=$2 label=$3 size=$4
    jpeg "$file" 90 90 \
        -fill "$colour" -stroke none -draw "roundrectangle 12,24 78,78 6,6" \
        -fill "$INK" -draw "rectangle 18,14 22,24" -draw "rectangle 28,14 32,24" -draw "rectangle 38,14 42,24" \
        -draw "rectangle 48,14 52,24" -draw "rectangle 58,14 62,24" -draw "rectangle 68,14 72,24" \
        -fill white -draw "roundrectangle 18,40 72,64 3,3" \
        -fill "$INK" -font "$BOLD" -pointsize "$size" -gravity center -annotate +0+7 "$label" -gravity northwest \
        -fill "$INK" -draw "rectangle 26,78 34,84" -draw "rectangle 56,78 64,84"
}

# 202: the logo at the top of the navigation column.
mark 8 6 59
jpeg 202-logo.jpg 75 112 "${MARK[@]}" \
    -fill "$INK" -font "$BOLD" -pointsize 14 -gravity north -annotate +0+74 "Vantrel" \
    -fill "$TEAL" -font "$FONT" -pointsize 8 -annotate +0+94 "tune + diagnose"

# 203: the name on its own.
mark 4 4 32
jpeg 203-wordmark.jpg 180 40 "${MARK[@]}" \
    -fill "$INK" -font "$BOLD" -pointsize 22 -annotate +44+29 "Vantrel"

# 204: the agreement, a page with a tick.
jpeg 204-agreement.jpg 75 112 \
    -fill white -stroke "$INK" -strokewidth 2 -draw "polygon 8,10 50,10 66,26 66,98 8,98" \
    -fill "$PALE" -draw "polygon 50,10 50,26 66,26" -stroke "$PALE" -strokewidth 3 \
    -draw "line 16,36 58,36" -draw "line 16,46 58,46" -draw "line 16,56 58,56" -draw "line 16,66 44,66" \
    -stroke none -fill "$TEAL" -draw "circle 52,86 52,100" \
    -stroke white -strokewidth 4 -fill none -draw "polyline 45,86 50,92 60,80"

# 205: tuning, three sliders.
jpeg 205-tuning.jpg 90 90 \
    -stroke "$INK" -strokewidth 4 -draw "line 14,24 76,24" -draw "line 14,45 76,45" -draw "line 14,66 76,66" \
    -stroke none -fill "$TEAL" -draw "roundrectangle 26,16 38,32 3,3" \
    -fill "$AMBER" -draw "roundrectangle 54,37 66,53 3,3" -fill "$RED" -draw "roundrectangle 36,58 48,74 3,3"

# 206: faults, a warning sign.
jpeg 206-faults.jpg 90 90 \
    -fill "$AMBER" -stroke "$INK" -strokewidth 3 -draw "polygon 45,10 82,78 8,78" \
    -stroke none -fill "$INK" -draw "roundrectangle 41,32 49,58 3,3" -draw "circle 45,67 45,71"

# 207: RX/TX, a frame out and a frame back.
jpeg 207-rxtx.jpg 90 90 \
    -stroke "$TEAL" -strokewidth 6 -draw "line 12,30 66,30" -stroke none -fill "$TEAL" -draw "polygon 62,18 80,30 62,42" \
    -stroke "$AMBER" -strokewidth 6 -draw "line 24,60 78,60" -stroke none -fill "$AMBER" -draw "polygon 28,48 10,60 28,72" \
    -fill "$INK" -font "$BOLD" -pointsize 11 -annotate +14+20 "TX" -annotate +56+86 "RX"

# 208: communications, the programming cable's plug.
jpeg 208-comms.jpg 90 110 \
    -stroke "$INK" -strokewidth 5 -fill none -draw "path 'M 45,62 C 45,88 20,84 20,104'" \
    -stroke none -fill "$INK" -draw "roundrectangle 30,34 60,66 5,5" \
    -fill "$PALE" -draw "rectangle 34,8 56,36" -fill "$INK" -draw "rectangle 38,16 43,22" -draw "rectangle 47,16 52,22" \
    -fill "$TEAL" -draw "circle 45,50 45,55"

# 209: about, an "i" in a circle.
jpeg 209-about.jpg 90 90 \
    -fill "$TEAL" -stroke none -draw "circle 45,45 45,10" \
    -fill white -draw "circle 45,26 45,31" -draw "roundrectangle 40,37 50,70 3,3"

# 210: data files, a folder.
jpeg 210-datafiles.jpg 90 90 \
    -fill "$AMBER" -stroke "$INK" -strokewidth 2 -draw "polygon 10,22 34,22 40,30 80,30 80,74 10,74" \
    -fill white -stroke "$PALE" -draw "rectangle 18,36 72,68" -stroke "$INK" -draw "line 24,46 66,46" -draw "line 24,56 58,56"

# 211 to 213 and 217: the controller families; 216 a controller not yet known.
controller 211-fj.jpg "$TEAL" "FJ" 16
controller 212-ev48400c.jpg "$AMBER" "EV48-400-C" 8
controller 213-ev48400c-d5.jpg "$RED" "EV48 D5" 11
controller 216-controller.jpg "$PALE" "?" 16
controller 217-tercel.jpg "#6D8EC2" "Tercel" 13

# 214: settings, a gear.
gear=$(awk 'BEGIN { pi = 3.14159265; for (i = 0; i < 32; i++) { a = i * pi / 16; r = (int(i / 2) % 2 == 0) ? 36 : 27;
    printf "%.1f,%.1f ", 45 + r * cos(a + pi / 32), 45 + r * sin(a + pi / 32) } }')
jpeg 214-settings.jpg 90 90 \
    -fill "$INK" -stroke none -draw "polygon $gear" -fill "$BG" -draw "circle 45,45 45,33" \
    -fill "$TEAL" -draw "circle 45,45 45,39"

# 215: backup, a disk with an arrow into it.
jpeg 215-backup.jpg 90 90 \
    -fill "$INK" -stroke none -draw "roundrectangle 14,30 76,80 5,5" -fill "$PALE" -draw "rectangle 26,30 64,48" \
    -fill white -draw "rectangle 24,58 66,76" \
    -stroke "$TEAL" -strokewidth 6 -draw "line 45,6 45,30" -stroke none -fill "$TEAL" -draw "polygon 33,24 57,24 45,40"

# The program's icon, from the mark.
mark 0 0 64
convert -size 64x64 xc:none "${MARK[@]}" -define icon:auto-resize=48,32,16 vantrel.ico
echo "Pictures written to $(pwd)/$OUT"

#!/usr/bin/env bash
# Regenerates the sample media shipped with Larkspire:
#   bundle/        videos installed with the application
#   packs/Video/   videos of the "Video" on-demand pack
#   packs/Audio/   songs of the "Audio" on-demand pack
#
# Needs: ffmpeg, espeak-ng, sox, fonts-dejavu-core (Debian package names).
# Output is reproducible for a given set of tool versions: synthesis is
# seeded (sox -R), dither is off, and ffmpeg runs in bitexact mode.
#
# Usage: media/make-samples.sh [output-dir]   (default: the folder of this script)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:-$here}"

font_dir=/usr/share/fonts/truetype/dejavu
font_title="$font_dir/DejaVuSans-Bold.ttf"
font_text="$font_dir/DejaVuSans.ttf"
font_mono="$font_dir/DejaVuSansMono-Bold.ttf"

die() { printf 'make-samples: %s\n' "$*" >&2; exit 1; }

for tool in ffmpeg ffprobe espeak-ng sox; do
    command -v "$tool" >/dev/null 2>&1 ||
        die "missing '$tool' (apt-get install ffmpeg espeak-ng sox fonts-dejavu-core)"
done
for f in "$font_title" "$font_text" "$font_mono"; do
    [[ -r $f ]] || die "missing font $f (apt-get install fonts-dejavu-core)"
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

export LC_ALL=C
RATE=44100
FF=(ffmpeg -hide_banner -loglevel error -nostdin -y)
SOX=(sox -R -D -V1)

# speak TEXT VOICE SPEED OUT.wav -- spoken text, 44.1 kHz mono
speak() {
    local text=$1 voice=$2 speed=$3 dst=$4
    espeak-ng -v "$voice" -s "$speed" -a 150 -w "$work/espeak.wav" "$text"
    # Drop the leading/trailing silence espeak-ng leaves so callers control the gaps.
    "${SOX[@]}" "$work/espeak.wav" -r "$RATE" -c 1 "$dst" \
        silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse
}

# seconds FILE -- duration of a wav file as a decimal number
seconds() { soxi -D "$1"; }

# ---------------------------------------------------------------------------
# Videos
# ---------------------------------------------------------------------------
VIDEO_LEN=7

# make_video OUT.mp4 TITLE TITLE_SIZE SUBTITLE BG_COLOUR ACCENT_COLOUR VOICE PAD_NOTE1 PAD_NOTE2
make_video() {
    local dst=$1 title=$2 size=$3 subtitle=$4 bg=$5 accent=$6 voice=$7 n1=$8 n2=$9
    local speech="$work/v-speech.wav" pad="$work/v-pad.wav" mix="$work/v-audio.wav" vf

    # Soundtrack: a soft two-note pad with the title spoken over it.
    speak "$title" "$voice" 140 "$work/v-title.wav"
    "${SOX[@]}" "$work/v-title.wav" "$speech" pad 0.6 "$VIDEO_LEN" trim 0 "$VIDEO_LEN"
    "${SOX[@]}" -n -r "$RATE" -c 2 "$work/v-pad2.wav" \
        synth "$VIDEO_LEN" sine "$n1" sine "$n2" tremolo 0.5 40
    "${SOX[@]}" "$work/v-pad2.wav" "$pad" remix - vol 0.35 fade t 1.0 "$VIDEO_LEN" 1.5
    "${SOX[@]}" -m "$speech" "$pad" "$mix" gain -n -1

    # Picture: title, subtitle, a star gliding across, a progress bar and a timecode.
    vf="[0:v]drawtext=fontfile=$font_title:text='$title':fontsize=$size:fontcolor=white"
    vf+=":borderw=3:bordercolor=black@0.6:x=(w-text_w)/2:y=(h-text_h)/2-40"
    vf+=",drawtext=fontfile=$font_text:text='$subtitle':fontsize=26:fontcolor=white@0.9"
    vf+=":x=(w-text_w)/2:y=(h/2)+30"
    vf+=",drawtext=fontfile=$font_title:text='★':fontsize=40:fontcolor=$accent"
    vf+=":x=-40+(w+40)*t/$VIDEO_LEN:y=60+20*sin(2*PI*t)"
    vf+=",drawtext=fontfile=$font_mono:text='%{pts\\:hms}':fontsize=22:fontcolor=white"
    vf+=":box=1:boxcolor=black@0.5:boxborderw=6:x=w-text_w-16:y=h-text_h-34"
    vf+="[bg];[1:v]format=yuv420p[bar];"
    vf+="[bg][bar]overlay=x=-W+W*t/$VIDEO_LEN:y=H-h:eval=frame:shortest=1[v]"

    "${FF[@]}" \
        -f lavfi -i "color=c=$bg:s=640x360:r=24:d=$VIDEO_LEN" \
        -f lavfi -i "color=c=$accent:s=640x14:r=24:d=$VIDEO_LEN" \
        -i "$mix" \
        -filter_complex "$vf" -map '[v]' -map 2:a \
        -c:v libx264 -preset medium -crf 26 -pix_fmt yuv420p -g 48 -threads 2 \
        -c:a aac -b:a 64k -ar "$RATE" -ac 2 \
        -t "$VIDEO_LEN" -map_metadata -1 -metadata title="$title" \
        -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
        -movflags +faststart "$dst"
}

mkdir -p "$out/bundle" "$out/packs/Video" "$out/packs/Audio"

make_video "$out/bundle/LKSChapter13.mp4"      "Chapter 13" 64 "Larkspire Stories" \
    '0x1B6F7A' '0xFFD35C' en-us+f3 D3 A3
make_video "$out/bundle/XmasDocumentary.mp4"   "Christmas Documentary" 44 "Larkspire Specials" \
    '0x9E1B20' '0x7BD389' en-gb+m3 G3 D4
make_video "$out/packs/Video/LKSChapter14.mp4" "Chapter 14" 64 "Larkspire Stories" \
    '0x5B2A86' '0xF9A03F' en-us+f2 E3 B3
make_video "$out/packs/Video/LKSChapter15.mp4" "Chapter 15" 64 "Larkspire Stories" \
    '0x2F6B2F' '0xF4E285' en-us+m2 F3 C4
make_video "$out/packs/Video/LKSChapter16.mp4" "Chapter 16" 64 "Larkspire Stories" \
    '0xB0531C' '0x8FD3FF' en-gb+f4 A2 E3

# ---------------------------------------------------------------------------
# Songs
# ---------------------------------------------------------------------------

# make_song OUT.mp3 TITLE VOICE WAVE BEAT_SECONDS DRONE_ROOT DRONE_FIFTH NOTES...
# A note is a name (C5, F#4, Bb3), optionally "*N" to hold it N beats, or "-" for a rest.
make_song() {
    local dst=$1 title=$2 voice=$3 wave=$4 beat=$5 root=$6 fifth=$7
    shift 7
    local parts=() i=0 note beats len

    for note in "$@"; do
        beats=1
        if [[ $note == *'*'* ]]; then
            beats=${note#*\*}
            note=${note%%\**}
        fi
        len=$(awk -v b="$beat" -v n="$beats" 'BEGIN { printf "%.3f", b * n }')
        i=$((i + 1))
        local part="$work/s-note-$i.wav"
        if [[ $note == - ]]; then
            "${SOX[@]}" -n -r "$RATE" -c 1 "$part" trim 0 "$len"
        else
            "${SOX[@]}" -n -r "$RATE" -c 1 "$part" synth "$len" "$wave" "$note" \
                fade h 0.01 "$len" "$(awk -v l="$len" 'BEGIN { printf "%.3f", l * 0.6 }')"
        fi
        parts+=("$part")
    done

    local melody="$work/s-melody.wav" drone="$work/s-drone.wav" tune="$work/s-tune.wav"
    "${SOX[@]}" "${parts[@]}" "$melody"
    len=$(seconds "$melody")
    "${SOX[@]}" -n -r "$RATE" -c 2 "$work/s-drone2.wav" synth "$len" sine "$root" sine "$fifth"
    "${SOX[@]}" "$work/s-drone2.wav" "$drone" remix - vol 0.22 fade t 0.4 "$len" 0.8
    "${SOX[@]}" -m -v 1 "$melody" -v 1 "$drone" "$tune" gain -n -1 pad 0 0.6 fade t 0 -0 0.6

    speak "$title" "$voice" 135 "$work/s-title.wav"
    "${SOX[@]}" "$work/s-title.wav" "$work/s-title-pad.wav" pad 0.3 0.35 gain -n -1

    "${SOX[@]}" "$work/s-title-pad.wav" "$tune" "$work/s-song.wav"
    rm -f "$work"/s-note-*.wav

    "${FF[@]}" -i "$work/s-song.wav" \
        -c:a libmp3lame -b:a 96k -ar "$RATE" -ac 2 \
        -map_metadata -1 -metadata title="$title" -metadata artist="Larkspire" \
        -metadata album="Larkspire Songs" -id3v2_version 3 \
        -fflags +bitexact -flags:a +bitexact "$dst"
}

A="$out/packs/Audio"

make_song "$A/Mend the Sky.mp3" "Mend the Sky" en-us+f3 pluck 0.36 C3 G3 \
    C5 E5 G5 C6 B5 G5 E5 G5 A5 F5 D5 F5 E5 D5 C5*2 \
    G5 E5 C5*3

make_song "$A/Night Bulletin 4.mp3" "Night Bulletin 4" en-us+m3 triangle 0.28 A2 E3 \
    A4 C5 E5 A5 G5 E5 C5 E5 D5 F5 A5 F5 E5 C5 A4 - \
    A4 C5 E5 D5 B4 G4 A4*2

make_song "$A/Adrift on Starlight Adieu.mp3" "Adrift on Starlight Adieu" en-gb+f2 sine 0.55 D3 A3 \
    D5 F#5 A5*2 G5 F#5 E5*2 C#5 D5*3

make_song "$A/Story Holds.mp3" "Story Holds" en-us+f4 pluck 0.32 G2 D3 \
    G4 B4 D5 G5 D5 B4 C5 E5 D5 B4 A4 G4 F#4 A4 D5*2 \
    G4 B4 D5 G4*3

make_song "$A/Someday.mp3" "Someday" en-us+m2 triangle 0.45 Eb3 Bb3 \
    Bb4 Eb5 G5 F5 Eb5 Bb4 C5 D5 Eb5*2 G5 Bb5 Ab5 G5 F5 Eb5*3

make_song "$A/Bright Morning Rising.mp3" "Bright Morning Rising" en-gb+f3 pluck 0.22 F3 C4 \
    F4 A4 C5 F5 A4 C5 F5 A5 C5 F5 A5 C6 A5 F5 C5 A4 \
    G4 Bb4 D5 G5 A4 C5 F5 A5 Bb4 D5 G5 Bb5 A5 C6 F6*4

make_song "$A/Echo of Starlight.mp3" "Echo of Starlight" en-us+f2 sine 0.42 B2 F#3 \
    B4 D5 F#5 B5 A5 F#5 D5 E5 F#5*2 D5 B4 C#5 A4 B4*3

echo "make-samples: done"

#!/usr/bin/env bash
# Regenerates the sample media shipped with Larkspire:
#   bundle/        videos installed with the application
#   packs/Video/   videos of the "Video" on-demand pack
#   packs/Audio/   songs of the "Audio" on-demand pack
# and beside each the timed text of what it says or sings, in English, German, Spanish,
# French and Arabic ("<base name>.en.vtt", ".de.vtt", ".es.vtt", ".fr.vtt", ".ar.vtt"):
# captions of a video, lyrics of a song, each lyric word with the time it starts.
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

# speak TEXT VOICE SPEED OUT.wav [ESPEAK-NG OPTIONS...] -- spoken text, 44.1 kHz mono
speak() {
    local text=$1 voice=$2 speed=$3 dst=$4
    shift 4
    espeak-ng -v "$voice" -s "$speed" -a 150 "$@" -w "$work/espeak.wav" "$text"
    # Drop the leading/trailing silence espeak-ng leaves so callers control the gaps.
    "${SOX[@]}" "$work/espeak.wav" -r "$RATE" -c 1 "$dst" \
        silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse
}

# seconds FILE -- duration of a wav file as a decimal number
seconds() { soxi -D "$1"; }

# calc EXPRESSION -- its value to the millisecond
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

# ---------------------------------------------------------------------------
# Speech tracks and their timed text
# ---------------------------------------------------------------------------
# Each line is spoken on its own and put at an offset chosen here, so the cue times come
# from the same numbers that place the speech: a cue starts CUE_MARGIN before its line and
# ends CUE_MARGIN after it. Lines are at least twice that apart, so cues never overlap.
CUE_MARGIN=0.1

# The languages of the timed text, in the order each line's texts are given; the voice
# always speaks the first.
LANGUAGES=(en de es fr ar)

track_pieces=() track_end=0 track_n=0
cue_start=() cue_end=()
cue_en=() cue_de=() cue_es=() cue_fr=() cue_ar=()
words_en=() words_de=() words_es=() words_fr=() words_ar=()

# track_add WAV AT -- WAV starts at AT seconds in the speech track (silence up to it)
track_add() {
    local wav=$1 at=$2 gap
    gap=$(calc "$at - $track_end")
    track_n=$((track_n + 1))
    "${SOX[@]}" -n -r "$RATE" -c 1 "$work/t-gap-$track_n.wav" trim 0 "$gap"
    track_pieces+=("$work/t-gap-$track_n.wav" "$wav")
    track_end=$(calc "$at + $(seconds "$wav")")
}

# track_cue WAV AT TEXT... [WORD_TIMES...] -- as track_add, and the line's cue: one text
# for each of LANGUAGES, then optionally for each the start times of its words after the
# first (see word_times)
track_cue() {
    local wav=$1 at=$2 language k=0
    shift 2
    local given=("$@")
    track_add "$wav" "$at"
    cue_start+=("$(calc "$at - $CUE_MARGIN")")
    cue_end+=("$(calc "$track_end + $CUE_MARGIN")")
    for language in "${LANGUAGES[@]}"; do
        local -n texts="cue_$language" times="words_$language"
        texts+=("${given[k]}")
        times+=("${given[k + ${#LANGUAGES[@]}]-}")
        unset -n texts times
        k=$((k + 1))
    done
}

# word_times AT LENGTH WEIGHT... -- when each word after the first starts, the words sharing
# the LENGTH seconds from AT in proportion to their weights
word_times() {
    awk -v at="$1" -v len="$2" -v w="${*:3}" 'BEGIN {
        n = split(w, x, " "); total = 0
        for (k = 1; k <= n; k++) {
            if (x[k] <= 0) { print "make-samples: a word of no length" > "/dev/stderr"; exit 1 }
            total += x[k]
        }
        sum = 0; last = at
        for (k = 1; k < n; k++) {
            sum += x[k]; t = sprintf("%.3f", at + len * sum / total)
            # Two words at the same millisecond would make the tags out of order.
            if (t + 0 <= last + 0) { print "make-samples: words too close to time" > "/dev/stderr"; exit 1 }
            printf "%s%s", (k > 1 ? " " : ""), t; last = t
        }
        print "" }'
}

# word_chars TEXT -- the length in characters of each of its words; UTF-8 continuation
# bytes are left out, as awk here counts bytes whatever the locale
word_chars() {
    awk -v t="$1" 'BEGIN { n = split(t, w, " ")
        for (k = 1; k <= n; k++) { gsub(/[\200-\277]/, "", w[k]); printf "%s%d", (k > 1 ? " " : ""), length(w[k]) }
        print "" }'
}

# track_write OUT.wav LENGTH -- the speech track, LENGTH seconds long; starts the next one
track_write() {
    "${SOX[@]}" "${track_pieces[@]}" "$1" pad 0 "$2" trim 0 "$2"
    rm -f "$work"/t-gap-*.wav
    track_pieces=() track_end=0 track_n=0
}

# vtt_time SECONDS... -- each as mm:ss.ttt, separated by spaces
vtt_time() {
    awk -v s="$*" 'BEGIN { n = split(s, x, " ")
        for (k = 1; k <= n; k++) { ms = int(x[k] * 1000 + 0.5); if (ms < 0) ms = 0
            printf "%s%02d:%02d.%03d", (k > 1 ? " " : ""), int(ms / 60000), int(ms / 1000) % 60, ms % 1000 } }'
}

# cue_lines TEXT [TAG...] -- one line, or two split at the space nearest the middle when it
# is longer than 42 characters; with tags (mm:ss.ttt, one for each word after the first),
# each such word is preceded by its timestamp tag. The split is chosen on the text alone,
# in characters, so the tags never move it.
cue_lines() {
    awk -v t="$1" -v tags="${*:2}" '
    function chars(s) { gsub(/[\200-\277]/, "", s); return length(s) }
    BEGIN {
        n = split(t, w, " "); m = split(tags, g, " ")
        if (m && m != n - 1) { print "make-samples: " m " tags for " n " words" > "/dev/stderr"; exit 1 }
        len = chars(t); best = 0; at = 0
        for (k = 1; k < n && len > 42; k++) {
            at += chars(w[k]) + 1
            if (best == 0 || (at - len / 2) ^ 2 < (best_at - len / 2) ^ 2) { best = k; best_at = at }
        }
        line = w[1]
        for (k = 2; k <= n; k++)
            line = line (k - 1 == best ? "\n" : " ") (m ? "<" g[k - 1] ">" : "") w[k]
        print line }'
}

# write_cues MEDIA -- "<base name>.<language>.vtt" beside MEDIA for each of LANGUAGES from
# the cues gathered since the last call
write_cues() {
    local base=${1%.*} language i lines
    for language in "${LANGUAGES[@]}"; do
        local -n texts="cue_$language" times="words_$language"
        {
            printf 'WEBVTT\n'
            for i in "${!cue_start[@]}"; do
                lines=$(cue_lines "${texts[i]}" "$(vtt_time "${times[i]}")")
                printf '\n%s --> %s\n%s\n' "$(vtt_time "${cue_start[i]}")" \
                    "$(vtt_time "${cue_end[i]}")" "$lines"
            done
        } >"$base.$language.vtt"
        texts=() times=()
        unset -n texts times
    done
    cue_start=() cue_end=()
}

# ---------------------------------------------------------------------------
# Videos
# ---------------------------------------------------------------------------
NARRATION_SPEED=150
TITLE_AT=0.6        # the title is spoken first, at this time
TITLE_GAP=0.7       # from the end of the title to the first line of narration
LINE_GAP=0.5        # between lines of narration
VIDEO_TAIL=1.0      # at least this much after the last line, rounded up to a whole second

# make_video OUT.mp4 TITLE_SIZE SUBTITLE BG_COLOUR ACCENT_COLOUR VOICE PAD_NOTE1 PAD_NOTE2
#            TITLE... [LINE...]...
# The title and each line are given as one text for each of LANGUAGES, English first. The
# English title and then each English line are spoken, and captioned in every language;
# the picture shows the English title.
make_video() {
    local dst=$1 size=$2 subtitle=$3 bg=$4 accent=$5 voice=$6 n1=$7 n2=$8 nl=${#LANGUAGES[@]}
    shift 8
    local title=$1 speech="$work/v-speech.wav" pad="$work/v-pad.wav" mix="$work/v-audio.wav" vf
    local at len i=0

    (($# >= nl && $# % nl == 0)) || die "${dst##*/}: texts not in sets of $nl"
    speak "$title" "$voice" "$NARRATION_SPEED" "$work/v-line-0.wav"
    track_cue "$work/v-line-0.wav" "$TITLE_AT" "${@:1:nl}"
    shift "$nl"
    at=$(calc "$track_end + $TITLE_GAP")
    while (($# > 0)); do
        i=$((i + 1))
        speak "$1" "$voice" "$NARRATION_SPEED" "$work/v-line-$i.wav"
        track_cue "$work/v-line-$i.wav" "$at" "${@:1:nl}"
        at=$(calc "$track_end + $LINE_GAP")
        shift "$nl"
    done
    len=$(awk -v e="$track_end" -v t="$VIDEO_TAIL" 'BEGIN { l = int(e + t); print (l < e + t) ? l + 1 : l }')

    # Soundtrack: a soft two-note pad with the speech over it.
    track_write "$speech" "$len"
    "${SOX[@]}" -n -r "$RATE" -c 2 "$work/v-pad2.wav" \
        synth "$len" sine "$n1" sine "$n2" tremolo 0.5 40
    "${SOX[@]}" "$work/v-pad2.wav" "$pad" remix - vol 0.35 fade t 1.0 "$len" 1.5
    "${SOX[@]}" -m "$speech" "$pad" "$mix" gain -n -1
    rm -f "$work"/v-line-*.wav

    # Picture: title, subtitle, a star gliding across, a progress bar and a timecode.
    vf="[0:v]drawtext=fontfile=$font_title:text='$title':fontsize=$size:fontcolor=white"
    vf+=":borderw=3:bordercolor=black@0.6:x=(w-text_w)/2:y=(h-text_h)/2-40"
    vf+=",drawtext=fontfile=$font_text:text='$subtitle':fontsize=26:fontcolor=white@0.9"
    vf+=":x=(w-text_w)/2:y=(h/2)+30"
    vf+=",drawtext=fontfile=$font_title:text='★':fontsize=40:fontcolor=$accent"
    vf+=":x=-40+(w+40)*t/$len:y=60+20*sin(2*PI*t)"
    vf+=",drawtext=fontfile=$font_mono:text='%{pts\\:hms}':fontsize=22:fontcolor=white"
    vf+=":box=1:boxcolor=black@0.5:boxborderw=6:x=w-text_w-16:y=h-text_h-34"
    vf+="[bg];[1:v]format=yuv420p[bar];"
    vf+="[bg][bar]overlay=x=-W+W*t/$len:y=H-h:eval=frame:shortest=1[v]"

    "${FF[@]}" \
        -f lavfi -i "color=c=$bg:s=640x360:r=24:d=$len" \
        -f lavfi -i "color=c=$accent:s=640x14:r=24:d=$len" \
        -i "$mix" \
        -filter_complex "$vf" -map '[v]' -map 2:a \
        -c:v libx264 -preset medium -crf 26 -pix_fmt yuv420p -g 96 -threads 2 \
        -c:a aac -b:a 48k -ar "$RATE" -ac 2 \
        -t "$len" -map_metadata -1 -metadata title="$title" \
        -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
        -movflags +faststart "$dst"
    write_cues "$dst"
}

mkdir -p "$out/bundle" "$out/packs/Video" "$out/packs/Audio"

make_video "$out/bundle/LKSChapter13.mp4" 64 "Larkspire Stories" \
    '0x1B6F7A' '0xFFD35C' en-us+f3 D3 A3 \
    "Chapter 13" "Kapitel 13" "Capítulo 13" "Chapitre 13" "الفصل ١٣" \
    "One night, a small tear opened in the sky above Larkspire." \
    "Eines Nachts öffnete sich ein kleiner Riss im Himmel über Larkspire." \
    "Una noche, se abrió un pequeño rasgón en el cielo sobre Larkspire." \
    "Une nuit, une petite déchirure s’ouvrit dans le ciel au-dessus de Larkspire." \
    "ذات ليلة، انفتح شق صغير في السماء فوق لاركسباير." \
    "Through it, the stars began to slip away, one by one." \
    "Durch ihn rutschten die Sterne davon, einer nach dem anderen." \
    "Por él, las estrellas empezaron a escaparse, una a una." \
    "Par là, les étoiles se mirent à s’échapper, une à une." \
    "ومن خلاله أخذت النجوم تتسلل بعيدًا، واحدة تلو الأخرى." \
    "Wren took her grandmother's silver needle from the drawer." \
    "Wren nahm die silberne Nadel ihrer Großmutter aus der Schublade." \
    "Wren sacó del cajón la aguja de plata de su abuela." \
    "Wren prit dans le tiroir l’aiguille d’argent de sa grand-mère." \
    "أخرجت رين من الدرج إبرة جدتها الفضية." \
    "We can mend it by morning, she whispered." \
    "Wir können ihn bis zum Morgen flicken, flüsterte sie." \
    "Podemos remendarlo antes del amanecer, susurró." \
    "Nous pourrons la recoudre avant le matin, murmura-t-elle." \
    "نستطيع أن نرتقه قبل الصباح، همست."

make_video "$out/bundle/XmasDocumentary.mp4" 44 "Larkspire Specials" \
    '0x9E1B20' '0x7BD389' en-gb+m3 G3 D4 \
    "Christmas Documentary" "Weihnachtsdokumentation" "Documental de Navidad" \
    "Documentaire de Noël" "فيلم وثائقي عن عيد الميلاد" \
    "In the snowy valleys of Larkspire, lanterns glow in every window." \
    "In den verschneiten Tälern von Larkspire leuchten Laternen in jedem Fenster." \
    "En los valles nevados de Larkspire, brillan faroles en cada ventana." \
    "Dans les vallées enneigées de Larkspire, des lanternes brillent à chaque fenêtre." \
    "في وديان لاركسباير المكسوة بالثلج، تتوهج الفوانيس في كل نافذة." \
    "The bakers rise early to bake star bread for the whole town." \
    "Die Bäcker stehen früh auf und backen Sternenbrot für die ganze Stadt." \
    "Los panaderos madrugan y hornean pan de estrellas para todo el pueblo." \
    "Les boulangers se lèvent tôt et cuisent du pain d’étoiles pour toute la ville." \
    "يستيقظ الخبازون باكرًا ليخبزوا خبز النجوم للبلدة كلها." \
    "At dusk, the children sing beneath the great fir tree." \
    "In der Dämmerung singen die Kinder unter der großen Tanne." \
    "Al anochecer, los niños cantan bajo el gran abeto." \
    "Au crépuscule, les enfants chantent sous le grand sapin." \
    "وعند الغسق، يغني الأطفال تحت شجرة التنوب الكبيرة." \
    "And everyone listens for the bells that ring from the hill." \
    "Und alle lauschen den Glocken, die vom Hügel läuten." \
    "Y todos esperan oír las campanas que suenan en la colina." \
    "Et tout le monde guette les cloches qui sonnent sur la colline." \
    "ويصغي الجميع إلى الأجراس التي ترن من فوق التلة."

make_video "$out/packs/Video/LKSChapter14.mp4" 64 "Larkspire Stories" \
    '0x5B2A86' '0xF9A03F' en-us+f2 E3 B3 \
    "Chapter 14" "Kapitel 14" "Capítulo 14" "Chapitre 14" "الفصل ١٤" \
    "Wren climbed the tallest hill with a basket of thread." \
    "Wren stieg mit einem Korb voller Garn auf den höchsten Hügel." \
    "Wren subió a la colina más alta con una cesta de hilo." \
    "Wren gravit la plus haute colline avec un panier de fil." \
    "صعدت رين أعلى تلة تحمل سلة من الخيوط." \
    "The moon leaned down to light her way." \
    "Der Mond beugte sich herab, um ihr den Weg zu leuchten." \
    "La luna se inclinó para alumbrarle el camino." \
    "La lune se pencha pour éclairer son chemin." \
    "انحنى القمر ليضيء لها الطريق." \
    "Each stitch she made shone like a tiny lantern." \
    "Jeder Stich, den sie machte, leuchtete wie eine winzige Laterne." \
    "Cada puntada que daba brillaba como un farolito." \
    "Chaque point qu’elle faisait brillait comme une minuscule lanterne." \
    "وكانت كل غرزة تخيطها تلمع كفانوس صغير." \
    "Slowly, the tear in the sky grew smaller." \
    "Langsam wurde der Riss im Himmel kleiner." \
    "Poco a poco, el rasgón del cielo se fue haciendo más pequeño." \
    "Peu à peu, la déchirure du ciel rapetissa." \
    "وشيئًا فشيئًا، أخذ الشق في السماء يصغر."

make_video "$out/packs/Video/LKSChapter15.mp4" 64 "Larkspire Stories" \
    '0x2F6B2F' '0xF4E285' en-us+m2 F3 C4 \
    "Chapter 15" "Kapitel 15" "Capítulo 15" "Chapitre 15" "الفصل ١٥" \
    "The night bulletin crackled over the village radio." \
    "Die Nachtnachrichten knisterten aus dem Dorfradio." \
    "El boletín de la noche crepitaba en la radio del pueblo." \
    "Le bulletin de la nuit grésillait à la radio du village." \
    "طقطقت نشرة الليل في مذياع القرية." \
    "Good evening, Larkspire. The sky is almost whole again." \
    "Guten Abend, Larkspire. Der Himmel ist fast wieder heil." \
    "Buenas noches, Larkspire. El cielo ya está casi entero otra vez." \
    "Bonsoir, Larkspire. Le ciel est presque entier à nouveau." \
    "مساء الخير يا لاركسباير. لقد عادت السماء سليمة تقريبًا." \
    "Please leave a candle in your window for the travelling stars." \
    "Bitte stellt eine Kerze ins Fenster, für die reisenden Sterne." \
    "Por favor, dejen una vela en la ventana para las estrellas viajeras." \
    "Merci de laisser une bougie à votre fenêtre pour les étoiles voyageuses." \
    "من فضلكم، اتركوا شمعة في نوافذكم للنجوم المسافرة." \
    "Sleep well, everyone. Tomorrow will be a bright day." \
    "Schlaft gut, ihr alle. Morgen wird ein heller Tag." \
    "Que duerman bien todos. Mañana será un día luminoso." \
    "Dormez bien, tout le monde. Demain sera une journée radieuse." \
    "تصبحون على خير جميعًا. سيكون الغد يومًا مشرقًا."

make_video "$out/packs/Video/LKSChapter16.mp4" 64 "Larkspire Stories" \
    '0xB0531C' '0x8FD3FF' en-gb+f4 A2 E3 \
    "Chapter 16" "Kapitel 16" "Capítulo 16" "Chapitre 16" "الفصل ١٦" \
    "At last, Wren pulled the final stitch through the sky." \
    "Endlich zog Wren den letzten Stich durch den Himmel." \
    "Por fin, Wren pasó la última puntada por el cielo." \
    "Enfin, Wren tira le dernier point à travers le ciel." \
    "وأخيرًا، شدت رين الغرزة الأخيرة عبر السماء." \
    "The lost stars came drifting home on ribbons of starlight." \
    "Die verlorenen Sterne schwebten auf Bändern aus Sternenlicht heim." \
    "Las estrellas perdidas volvieron flotando a casa en cintas de luz estelar." \
    "Les étoiles perdues rentrèrent en flottant sur des rubans de lumière étoilée." \
    "وعادت النجوم الضائعة إلى بيتها طافية على شرائط من ضوء النجوم." \
    "Everyone in Larkspire looked up and cheered." \
    "Alle in Larkspire blickten nach oben und jubelten." \
    "Todos en Larkspire miraron al cielo y gritaron de alegría." \
    "Tout le monde à Larkspire leva les yeux et applaudit." \
    "رفع أهل لاركسباير أبصارهم وهتفوا فرحين." \
    "Wren yawned, smiled, and fell asleep beneath a mended sky." \
    "Wren gähnte, lächelte und schlief unter dem geflickten Himmel ein." \
    "Wren bostezó, sonrió y se durmió bajo un cielo remendado." \
    "Wren bâilla, sourit et s’endormit sous un ciel recousu." \
    "تثاءبت رين وابتسمت، ثم نامت تحت سماء مرتوقة."

# ---------------------------------------------------------------------------
# Songs
# ---------------------------------------------------------------------------
SING_SPEED=145
SING_PITCHES=(62 44)  # lines alternate between a high and a low voice, for a sing-song lilt
VERSE_START=0.5       # the first line starts on the first beat of the tune at least this late
VERSE_GAP=0.4         # each further line on the first beat at least this long after the last
VERSE_TAIL=0.8        # the tune plays at least this long after the last line

# make_song OUT.mp3 TITLE VOICE WAVE BEAT_SECONDS DRONE_ROOT DRONE_FIFTH NOTES [LINE...]...
# NOTES is a list of notes: a name (C5, F#4, Bb3), optionally "*N" to hold it N beats, or "-"
# for a rest. Each line is given as one text for each of LANGUAGES, English first. The
# title is spoken (in English only, and not a lyric), then the tune plays (repeated as often
# as the verse needs) with each English line sung over it, on a beat; the lines are the
# song's lyrics in every language, each word tagged with when it starts.
make_song() {
    local dst=$1 title=$2 voice=$3 wave=$4 beat=$5 root=$6 fifth=$7 notes=$8 nl=${#LANGUAGES[@]}
    shift 8
    local parts=() i=0 note beats len tune_at at pitch sung word words weights times text

    (($# % nl == 0)) || die "${dst##*/}: texts not in sets of $nl"

    speak "$title" "$voice" 135 "$work/s-title.wav"
    "${SOX[@]}" "$work/s-title.wav" "$work/s-title-pad.wav" gain -n -1
    track_add "$work/s-title-pad.wav" 0.3
    tune_at=$(calc "$track_end + 0.35")

    at=$(awk -v t="$tune_at" -v b="$beat" -v g="$VERSE_START" \
        'BEGIN { n = int(g / b); if (n * b < g - 1e-9) n++; printf "%.3f", t + n * b }')
    while (($# > 0)); do
        pitch=${SING_PITCHES[i % ${#SING_PITCHES[@]}]}
        sung="$work/s-line-$i-n.wav"
        speak "$1" "$voice" "$SING_SPEED" "$work/s-line-$i.wav" -g 2 -p "$pitch"
        "${SOX[@]}" "$work/s-line-$i.wav" "$sung" gain -n -1
        len=$(seconds "$sung")

        # The espeak-ng command gives no word times, so each English word is sung alone, the
        # same way, and the line as sung is shared out by those lengths.
        read -ra words <<<"$1"
        weights=()
        for word in "${words[@]}"; do
            speak "$word" "$voice" "$SING_SPEED" "$work/s-word.wav" -g 2 -p "$pitch"
            weights+=("$(seconds "$work/s-word.wav")")
        done
        times=("$(word_times "$at" "$len" "${weights[@]}")")
        # The voice sings only the English, so a translation's words share the line by their
        # length in characters.
        for text in "${@:2:nl - 1}"; do
            times+=("$(word_times "$at" "$len" "$(word_chars "$text")")")
        done

        track_cue "$sung" "$at" "${@:1:nl}" "${times[@]}"
        at=$(awk -v t="$tune_at" -v b="$beat" -v e="$track_end" -v g="$VERSE_GAP" \
            'BEGIN { n = int((e + g - t) / b); if (t + n * b < e + g - 1e-9) n++
                     printf "%.3f", t + n * b }')
        i=$((i + 1))
        shift "$nl"
    done

    i=0
    for note in $notes; do
        beats=1
        if [[ $note == *'*'* ]]; then
            beats=${note#*\*}
            note=${note%%\**}
        fi
        len=$(calc "$beat * $beats")
        i=$((i + 1))
        local part="$work/s-note-$i.wav"
        if [[ $note == - ]]; then
            "${SOX[@]}" -n -r "$RATE" -c 1 "$part" trim 0 "$len"
        else
            "${SOX[@]}" -n -r "$RATE" -c 1 "$part" synth "$len" "$wave" "$note" \
                fade h 0.01 "$len" "$(calc "$len * 0.6")"
        fi
        parts+=("$part")
    done

    local melody="$work/s-melody.wav" drone="$work/s-drone.wav" tune="$work/s-tune.wav"
    local speech="$work/s-speech.wav" repeats
    "${SOX[@]}" "${parts[@]}" "$work/s-melody1.wav"
    # As many times round as it takes to carry the verse.
    repeats=$(awk -v m="$(seconds "$work/s-melody1.wav")" -v e="$track_end" -v t="$tune_at" \
        -v x="$VERSE_TAIL" 'BEGIN { n = int((e + x - t) / m); if (n * m < e + x - t) n++
                                    print n < 1 ? 0 : n - 1 }')
    "${SOX[@]}" "$work/s-melody1.wav" "$melody" repeat "$repeats"
    len=$(seconds "$melody")
    "${SOX[@]}" -n -r "$RATE" -c 2 "$work/s-drone2.wav" synth "$len" sine "$root" sine "$fifth"
    "${SOX[@]}" "$work/s-drone2.wav" "$drone" remix - vol 0.22 fade t 0.4 "$len" 0.8
    "${SOX[@]}" -m -v 1 "$melody" -v 1 "$drone" "$tune" gain -n -1 pad "$tune_at" 0.6 \
        fade t 0 -0 0.6
    rm -f "$work"/s-note-*.wav

    # The voice over the tune, the tune a little under it.
    len=$(seconds "$tune")
    track_write "$speech" "$len"
    rm -f "$work"/s-line-*.wav
    "${SOX[@]}" -m -v 1 "$speech" -v 0.55 "$tune" "$work/s-song.wav" gain -n -1

    "${FF[@]}" -i "$work/s-song.wav" \
        -c:a libmp3lame -b:a 96k -ar "$RATE" -ac 2 \
        -map_metadata -1 -metadata title="$title" -metadata artist="Larkspire" \
        -metadata album="Larkspire Songs" -id3v2_version 3 \
        -fflags +bitexact -flags:a +bitexact "$dst"
    write_cues "$dst"
}

A="$out/packs/Audio"

make_song "$A/Mend the Sky.mp3" "Mend the Sky" en-us+f3 pluck 0.36 C3 G3 \
    'C5 E5 G5 C6 B5 G5 E5 G5 A5 F5 D5 F5 E5 D5 C5*2 G5 E5 C5*3' \
    "Needle of silver, thread of gold," "Nadel aus Silber, Faden aus Gold," \
    "Aguja de plata, hilo de oro," "Aiguille d’argent et fil doré," \
    "إبرة من فضة، وخيط من ذهب،" \
    "mend the sky before it's cold." "flick den Himmel, bevor es kalt wird." \
    "cose el cielo antes del frío." "recouds le ciel avant le froid." \
    "ارتق السماء قبل البرد." \
    "Stitch by stitch and star by star," "Stich um Stich und Stern um Stern," \
    "puntada a puntada, estrella a estrella," "point après point, étoile après étoile," \
    "غرزة بعد غرزة، ونجمة بعد نجمة،" \
    "light the way to where you are." "leuchte den Weg bis hin zu dir." \
    "alumbra el camino hasta donde estás." "éclaire la route jusqu’à toi." \
    "أنر الدرب إلى حيث أنت."

make_song "$A/Night Bulletin 4.mp3" "Night Bulletin 4" en-us+m3 triangle 0.28 A2 E3 \
    'A4 C5 E5 A5 G5 E5 C5 E5 D5 F5 A5 F5 E5 C5 A4 - A4 C5 E5 D5 B4 G4 A4*2' \
    "Here is the news from the sleepy town:" "Hier die Nachrichten aus der schläfrigen Stadt:" \
    "Aquí las noticias del pueblo dormido:" "Voici les nouvelles de la ville endormie :" \
    "إليكم الأخبار من البلدة الناعسة:" \
    "the moon is up and the wind is down." "Der Mond ist auf, der Wind hat sich gelegt." \
    "la luna ha salido y el viento se calmó." "la lune est levée, le vent est tombé." \
    "طلع القمر وهدأت الريح." \
    "Lanterns are lit on every street," "In jeder Straße brennen die Laternen," \
    "en cada calle brillan los faroles," "les lanternes brillent dans chaque rue," \
    "الفوانيس مضاءة في كل شارع،" \
    "so close your eyes and sleep, my sweet." "also schließ die Augen und schlaf, mein Schatz." \
    "así que cierra los ojos y duerme, mi amor." "alors ferme les yeux et dors, mon cœur." \
    "فأغمض عينيك ونم يا صغيري."

make_song "$A/Adrift on Starlight Adieu.mp3" "Adrift on Starlight Adieu" en-gb+f2 sine 0.55 D3 A3 \
    'D5 F#5 A5*2 G5 F#5 E5*2 C#5 D5*3' \
    "Adrift on starlight, far and wide," "Auf Sternenlicht treibend, weit und breit," \
    "A la deriva, entre estrellas, a lo lejos," "Au fil des étoiles, loin, si loin," \
    "على ضوء النجوم ننجرف بعيدًا،" \
    "we wave goodbye to the evening tide." "winken wir der Abendflut zum Abschied." \
    "decimos adiós a la marea de la tarde." "nous disons adieu à la marée du soir." \
    "ونلوح مودعين مد المساء." \
    "Adieu, adieu, the night is new." "Adieu, adieu, die Nacht ist neu." \
    "Adiós, adiós, la noche es nueva." "Adieu, adieu, la nuit est neuve." \
    "وداعًا، وداعًا، الليل جديد."

make_song "$A/Story Holds.mp3" "Story Holds" en-us+f4 pluck 0.32 G2 D3 \
    'G4 B4 D5 G5 D5 B4 C5 E5 D5 B4 A4 G4 F#4 A4 D5*2 G4 B4 D5 G4*3' \
    "Hold the story, hold it near," "Halt die Geschichte, halt sie nah," \
    "Abraza el cuento, tenlo cerca," "Tiens l’histoire, tiens-la tout près," \
    "احضن الحكاية، وأبقها قريبة،" \
    "every page brings starlight here." "jede Seite bringt Sternenlicht her." \
    "cada página trae luz de estrellas." "chaque page apporte les étoiles." \
    "كل صفحة تجلب ضوء النجوم." \
    "When the book is closed at night," "Wenn abends das Buch geschlossen ist," \
    "Cuando de noche se cierra el libro," "Quand le livre se ferme le soir," \
    "وحين يغلق الكتاب في الليل،" \
    "the story holds you, warm and bright." "hält dich die Geschichte, warm und hell." \
    "el cuento te abraza, cálido y claro." "l’histoire t’enlace, douce et claire." \
    "تضمك الحكاية دافئة مشرقة."

make_song "$A/Someday.mp3" "Someday" en-us+m2 triangle 0.45 Eb3 Bb3 \
    'Bb4 Eb5 G5 F5 Eb5 Bb4 C5 D5 Eb5*2 G5 Bb5 Ab5 G5 F5 Eb5*3' \
    "Someday soon the sky will mend," "Bald schon wird der Himmel heil," \
    "Muy pronto el cielo sanará," "Un jour bientôt, le ciel guérira," \
    "قريبًا ستلتئم السماء،" \
    "every tear will find its end." "jeder Riss findet sein Ende." \
    "cada rasgón tendrá su fin." "chaque déchirure prendra fin." \
    "وكل شق سيلقى نهايته." \
    "Someday soon, my little friend." "Bald schon, mein kleiner Freund." \
    "Muy pronto, mi pequeño amigo." "Un jour bientôt, mon tout petit." \
    "قريبًا، يا صديقي الصغير."

make_song "$A/Bright Morning Rising.mp3" "Bright Morning Rising" en-gb+f3 pluck 0.22 F3 C4 \
    'F4 A4 C5 F5 A4 C5 F5 A5 C5 F5 A5 C6 A5 F5 C5 A4
     G4 Bb4 D5 G5 A4 C5 F5 A5 Bb4 D5 G5 Bb5 A5 C6 F6*4' \
    "Bright morning rising over the hill," "Heller Morgen, steigt über den Hügel," \
    "Clara mañana que asoma en la colina," "Clair matin qui monte sur la colline," \
    "صباح مشرق يطلع فوق التلة،" \
    "birds are singing, the air is still." "die Vögel singen, die Luft ist still." \
    "cantan los pájaros, el aire está en calma." "les oiseaux chantent, l’air est calme." \
    "الطيور تغني، والهواء ساكن." \
    "Wake up, Larkspire, the night is done!" "Wach auf, Larkspire, die Nacht ist vorbei!" \
    "¡Despierta, Larkspire, la noche acabó!" "Debout, Larkspire, la nuit est finie !" \
    "استيقظي يا لاركسباير، انتهى الليل!" \
    "Here comes the golden morning sun." "Da kommt die goldene Morgensonne." \
    "Ya llega el sol dorado de la mañana." "Voici le soleil doré du matin." \
    "ها هي شمس الصباح الذهبية."

make_song "$A/Echo of Starlight.mp3" "Echo of Starlight" en-us+f2 sine 0.42 B2 F#3 \
    'B4 D5 F#5 B5 A5 F#5 D5 E5 F#5*2 D5 B4 C#5 A4 B4*3' \
    "Echo of starlight, soft and low," "Echo des Sternenlichts, sanft und leise," \
    "Eco de estrellas, suave y quedo," "Écho des étoiles, doux et léger," \
    "يا صدى ضوء النجوم، رقيقًا خافتًا،" \
    "sing me the songs of long ago." "sing mir die Lieder von einst." \
    "cántame canciones de antaño." "chante-moi les chansons d’antan." \
    "أسمعني أغنيات زمن بعيد." \
    "Echo, echo, over the sea," "Echo, Echo, über das Meer," \
    "eco, eco, sobre el mar," "écho, écho, par-dessus la mer," \
    "يا صدى، يا صدى، فوق البحر،" \
    "carry the starlight home to me." "trag das Sternenlicht heim zu mir." \
    "tráeme a casa la luz de estrellas." "ramène-moi la lumière des étoiles." \
    "احمل ضوء النجوم إلى بيتي."

echo "make-samples: done"

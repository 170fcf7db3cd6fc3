#!/usr/bin/env bash
# Builds every benchmark, runs each beside its anchor, and rewrites the table of figures in
# bench/README.md with the machine they were measured on. Benchmarks are not tests: the
# figures depend on the machine and on what else it is doing.
#   bench/figures.sh [GROUP...]
# Groups: download update startup cpu memory chapter captions idle layout language. Naming some runs only
# those and prints their rows and logs instead of rewriting bench/README.md.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${LARKSPIRE_BENCH_BUILD:-$root/build-bench}
logs=$(mktemp -d)

groups=(download update startup cpu memory chapter captions idle layout language)
selected=("${@:-${groups[@]}}")
for group in "${selected[@]}"; do
    [[ " ${groups[*]} " == *" $group "* ]] || { echo "bench: no group $group" >&2; exit 2; }
done
wanted() {
    [[ " ${selected[*]} " == *" $1 "* ]]
}
# Rounds of the captions group, each an application run with captions, mpv and one without,
# then the application, mpv and the bare pipeline on one core,
# and of the songs with their words lit and with whole lines.
rounds=${LARKSPIRE_BENCH_ROUNDS:-3}

# What only the benchmarks need: GStreamer's headers for the anchors (those of its app and video
# libraries for the bare pipeline), its tools and x264 to make the HD chapter, an X server to
# play it in a real window, openssl's command for the hash, mpv and ffmpeg as the anchors of the
# captioned chapter, GNU time to measure them.
bench_packages=(libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-tools
  gstreamer1.0-plugins-ugly xvfb openssl dbus-daemon mpv ffmpeg time)
missing=()
for package in "${bench_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ] && [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLARKSPIRE_BENCH=ON \
    -DLARKSPIRE_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target bench_download bench_startup bench_track_cpu \
    bench_resident_memory bench_bare_playbin bench_bare_player bench_layout bench_chapter \
    bench_bare_chapter bench_bare_pipeline bench_idle larkspire larkspire_ondemand_module \
    larkspire_media larkspire-pack larkspire_lrelease >&2

# A full-length chapter as a family would watch it: 60 s of 1080p H.264 at 30 frames a second
# and 6 Mbit/s, with AAC sound. Made once per build folder, never committed.
chapter=$build/chapter-1080p.mp4
if [ ! -s "$chapter" ]; then
    echo "bench: making a 60 s 1080p chapter" >&2
    gst-launch-1.0 -q -e \
        videotestsrc num-buffers=1800 pattern=smpte horizontal-speed=6 \
        ! video/x-raw,width=1920,height=1080,framerate=30/1 \
        ! x264enc bitrate=6000 speed-preset=veryfast key-int-max=60 ! video/x-h264,profile=high \
        ! h264parse ! queue ! mp4mux name=mux ! filesink location="$chapter.part" \
        audiotestsrc num-buffers=1800 samplesperbuffer=1470 wave=sine freq=440 \
        ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_aac bitrate=128000 \
        ! aacparse ! queue ! mux.
    mv "$chapter.part" "$chapter"
fi
chapter_seconds=60
# Its captions, as the player finds them beside it: a two-line cue every 2 s, shown for 1.5 s.
captions=${chapter%.mp4}.en.vtt
if [ ! -s "$captions" ]; then
    {
        echo WEBVTT
        for cue in $(seq 0 $((chapter_seconds / 2 - 1))); do
            printf '\n00:00:%02d.000 --> 00:00:%02d.500\nCaption %d of the bench chapter,\n' \
                $((cue * 2)) $((cue * 2 + 1)) $((cue + 1))
            echo "a second line under the first."
        done
    } >"$captions"
fi

# A real X server for the runs that show video or sit idle in a window, and a session bus so
# the desktop services are live; both only when this session has none of its own.
cleanup() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "${bus_pid:-}" ] && kill "$bus_pid" 2>/dev/null
    rm -rf "$logs"
}
trap cleanup EXIT
x_display=${DISPLAY:-}
if [ -z "$x_display" ] && command -v Xvfb >/dev/null; then
    for number in $(seq 90 99); do
        [ -e "/tmp/.X11-unix/X$number" ] && continue
        Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        x_display=":$number"
        sleep 1
        break
    done
fi
bus=${DBUS_SESSION_BUS_ADDRESS:-}
if [ -z "$bus" ] && command -v dbus-daemon >/dev/null; then
    read -r bus bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 |
        paste -sd' ')
fi

run() {
    local name=$1
    shift
    echo "bench: $name" >&2
    "$@" >"$logs/$name.txt" 2>&1 || echo "(exit status $?)" >>"$logs/$name.txt"
}
on_x() {
    env DISPLAY="$x_display" QT_QPA_PLATFORM=xcb "$@"
}
offscreen() {
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$@"
}
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
if wanted download; then
    run download "$build/bench/bench_download" --runs 11
fi
if wanted update; then
    run update "$root/bench/update/run.sh" "$build" 5
fi
# Start-up in passes of rounds, each round the bare window and the application in turn, so that
# one busy moment of the machine falls on one pass and not on the figure; after a sync, so that
# no write-back of the packs the benches before it wrote can land in its rounds.
startup_passes=4
if wanted startup; then
    sync
    for pass in $(seq "$startup_passes"); do
        echo "bench: startup, pass $pass" >&2
        offscreen "$build/bench/startup/bench_startup" 5 >>"$logs/startup.txt" 2>&1 || true
    done
fi
# The window in German against English: the start-up bench in each language, a few rounds at a
# time with the languages taking turns, so that the machine's drift over the run falls on both
# alike; then the whole start-up to the first screen under GNU time, alternating, for its peak
# memory.
if wanted language; then
    for pass in 1 2 3 4; do
        for language in en de; do
            echo "bench: language-startup-$language, pass $pass" >&2
            offscreen env LANGUAGE="$language" "$build/bench/startup/bench_startup" 5 \
                >>"$logs/language-startup-$language.txt" 2>&1 || true
        done
    done
    for round in $(seq "$rounds"); do
        for language in en de; do
            offscreen env LANGUAGE="$language" LARKSPIRE_DATA_DIR="$build/share/larkspire" \
                /usr/bin/time -v "$build/bench/startup/bench_startup_app" \
                "$logs/settings-$language-$round.json" >>"$logs/language-memory-$language.txt" 2>&1 ||
                true
        done
    done
fi
# Each program and its anchor one after the other, in the same run.
if wanted cpu; then
    run cpu offscreen "$build/bench/cpu/bench_track_cpu"
    run cpu-anchor offscreen "$build/bench/cpu/bench_bare_playbin" "$root/media"
    # The same songs with their words lit as they are sung, and with whole lines: the packs'
    # lyrics without their word times. Round after round, alternating.
    whole_lines=$build/packs-whole-lines
    rm -rf "$whole_lines"
    cp -r "$root/media/packs" "$whole_lines"
    sed -i -E 's/<([0-9]{2,}:)?[0-9]{2}:[0-9]{2}\.[0-9]{3}>//g' "$whole_lines"/*/*.vtt
    for round in $(seq 1 "$rounds"); do
        run "words-lit-$round" offscreen "$build/bench/cpu/bench_track_cpu" "$root/media/packs"
        run "whole-lines-$round" offscreen "$build/bench/cpu/bench_track_cpu" "$whole_lines"
    done
fi
if wanted memory; then
    run memory offscreen "$build/bench/cpu/bench_resident_memory"
    run memory-anchor offscreen "$build/bench/cpu/bench_bare_player" "$root/media"
fi
if wanted chapter; then
    if [ -n "$x_display" ]; then
        run chapter-x on_x "$build/bench/chapter/bench_chapter" "$chapter"
        run chapter-x-anchor on_x "$build/bench/chapter/bench_bare_chapter" "$chapter"
    fi
    run chapter-offscreen offscreen "$build/bench/chapter/bench_chapter" "$chapter"
    run chapter-offscreen-anchor offscreen "$build/bench/chapter/bench_bare_chapter" "$chapter"
fi
# The chapter played once with captions, by the application and by mpv, and by the application
# without captions, round after round, each whole process under GNU time; and its decoding alone.
# mpv draws as the application does: converted and scaled on the CPU, with the same scaler,
# into a shared-memory image of the X server (bench/NOTE.md).
if wanted captions && [ -n "$x_display" ]; then
    for round in $(seq 1 "$rounds"); do
        run "captions-on-$round" on_x /usr/bin/time -v "$build/bench/chapter/bench_chapter" \
            --starts 0 --captions en "$chapter"
        run "mpv-$round" on_x /usr/bin/time -v mpv --no-config --really-quiet --vo=x11 \
            --ao=null --hwdec=no --sws-scaler=bilinear --zimg-scaler=bilinear \
            --geometry=1024x768 --keepaspect-window=no --sub-file="$captions" "$chapter"
        run "captions-off-$round" on_x /usr/bin/time -v "$build/bench/chapter/bench_chapter" \
            --starts 0 "$chapter"
        run "decode-$round" /usr/bin/time -v ffmpeg -nostdin -v error -i "$chapter" -f null -
    done
    # The same on one core: the player and the X server it draws through both on the first.
    if [ -n "${xvfb_pid:-}" ] && command -v taskset >/dev/null; then
        taskset -a -p -c 0 "$xvfb_pid" >/dev/null
        for round in $(seq 1 "$rounds"); do
            run "one-core-on-$round" on_x taskset -c 0 /usr/bin/time -v \
                "$build/bench/chapter/bench_chapter" --starts 0 --captions en "$chapter"
            run "one-core-mpv-$round" on_x taskset -c 0 /usr/bin/time -v mpv --no-config \
                --really-quiet --vo=x11 --ao=null --hwdec=no --sws-scaler=bilinear \
                --zimg-scaler=bilinear --geometry=1024x768 --keepaspect-window=no \
                --sub-file="$captions" "$chapter"
            run "one-core-floor-$round" on_x taskset -c 0 /usr/bin/time -v \
                "$build/bench/chapter/bench_bare_pipeline" "$chapter"
        done
        taskset -a -p -c "0-$(($(nproc) - 1))" "$xvfb_pid" >/dev/null
    fi
fi
if wanted idle; then
    if [ -n "$x_display" ]; then
        run idle env DBUS_SESSION_BUS_ADDRESS="$bus" DISPLAY="$x_display" QT_QPA_PLATFORM=xcb \
            "$build/src/bench_idle" 60
    else
        run idle env DBUS_SESSION_BUS_ADDRESS="$bus" QT_QPA_PLATFORM=offscreen \
            "$build/src/bench_idle" 60
    fi
fi
if wanted layout; then
    run layout "$build/bench/layout/bench_layout" --benchmark_min_time=1
fi

# The line of a log that carries a figure, or a note that it is missing.
figure() {
    grep -m1 -E "$2" "$logs/$1.txt" 2>/dev/null | sed -E 's/^[a-z]+: //; s/^ +//' ||
        echo "(not found: see the log)"
}
# The first number after a pattern in a log line (sed -E), or nothing.
number() {
    grep -m1 -E "$2" "$logs/$1.txt" 2>/dev/null | sed -nE "s/.*$3.*/\1/p" || true
}
# "a against b unit: ratio r" from two numbers, or a note, for a figure with no target.
reported_ratio() {
    if [ -z "$1" ] || [ -z "$2" ]; then
        echo "(a figure is missing: see the logs)"
        return
    fi
    awk -v a="$1" -v b="$2" -v u="$3" 'BEGIN { printf "%s %s against %s %s: ratio %.2f", a, u, b, u, a / b }'
}
# The same, then " (target at most t): met|MISSED".
ratio() {
    reported_ratio "$1" "$2" "$4"
    if [ -n "$1" ] && [ -n "$2" ]; then
        awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN {
            printf " (target at most %g): %s", t, (a / b <= t ? "met" : "MISSED") }'
    fi
}
# "a against b: c more (target at most t): met|MISSED" for figures where more is worse.
beyond() {
    if [ -z "$1" ] || [ -z "$2" ]; then
        echo "(a figure is missing: see the logs)"
        return
    fi
    awk -v a="$1" -v b="$2" -v t="$3" -v u="$4" 'BEGIN {
        d = a - b; printf "%s against %s%s: %+g%s (target at most %g%s more): %s", a, b, u, d, u, t, u, (d <= t ? "met" : "MISSED") }'
}
# The rows of one chapter pair: CPU, peak memory, dropped frames, first frame.
chapter_rows() {
    local log=$1 where=$2
    if [ ! -s "$logs/$log.txt" ]; then
        return
    fi
    echo "| A 60 s 1080p H.264/AAC chapter tapped and played to its end ($where): CPU, % of one core | a bare Qt Multimedia player (video widget, audio output) in a window of the same size | at most 1.1 | $(ratio "$(number "$log" '^cpu' ', ([0-9.]+) % of one core')" "$(number "$log-anchor" '^cpu' ', ([0-9.]+) % of one core')" 1.1 %) |"
    echo "| The same chapter ($where): peak resident memory, KiB | the same player | at most 1.1 | $(ratio "$(number "$log" '^memory' 'peak ([0-9]+) KiB')" "$(number "$log-anchor" '^memory' 'peak ([0-9]+) KiB')" 1.1 KiB) |"
    echo "| The same chapter ($where): frames the video sink dropped as late, of $(number "$log" '^frames' ' ([0-9]+) rendered' ) rendered | the same player, of $(number "$log-anchor" '^frames' ' ([0-9]+) rendered') rendered | no more | $(beyond "$(number "$log" '^frames' ', ([0-9]+) dropped')" "$(number "$log-anchor" '^frames' ', ([0-9]+) dropped')" 0 '') |"
    echo "| The same chapter ($where): first frame on screen after the tap, ms | the same player, from its play() | within one frame at 60 Hz | $(beyond "$(number "$log" '^first frame' ': ([0-9.]+) ms')" "$(number "$log-anchor" '^first frame' ': ([0-9.]+) ms')" 16.7 ' ms') |"
}
# "CPU-seconds wall-seconds peak-KiB" of a run under GNU time -v.
usage() {
    awk -F': ' '/User time|System time/ { cpu += $2 }
        /Elapsed \(wall clock\)/ { n = split($2, part, ":"); for (i = 1; i <= n; i++) wall = wall * 60 + part[i] }
        /Maximum resident set size/ { peak = $2 }
        END { if (peak) printf "%.2f %.1f %d\n", cpu, wall, peak }' "$logs/$1.txt" 2>/dev/null
}
# One figure of every round of a captions run, one a line: a field of usage(), or a
# number() of the log when given a line pattern and a number pattern.
rounds_of() {
    local name=$1 round
    for round in $(seq 1 "$rounds"); do
        if [ $# -eq 2 ]; then
            usage "$name-$round" | cut -d' ' -f"$2"
        else
            number "$name-$round" "$2" "$3"
        fi
    done
}
# The median of numbers, one a line; nothing for none.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
# "median (min m)" of numbers, one a line.
median_min() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR) printf "%s (min %s)", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1] }'
}
sum() {
    awk '{ s += $1 } END { print s + 0 }'
}
# "r1, r2, ..." the ratios of two series, round by round.
by_round() {
    paste -d' ' <(echo "$1") <(echo "$2") | awk '$1 != "" && $2 != "" { printf "%s%.2f", (NR > 1 ? ", " : ""), $1 / $2 }'
}
# The percentage of one core of a CPU time over a wall time, one pair a line.
percent() {
    awk '{ printf "%.1f\n", 100 * $1 / $2 }'
}

rows_download() {
    local pack what
    for pack in large small; do
        case $pack in
        large) what="a 200 MiB pack of 4 files" ;;
        small) what="a 100 MiB pack of 5,000 files" ;;
        esac
        echo "| Download of $what from nginx on loopback, SHA-256 verified: median throughput of 11 runs | the limit of the work: the slower of curl's transfer and \`openssl dgst -sha256\` of the same files, run by run | at least 0.95 | $(figure download "^$pack: throughput against the limit") |"
        echo "| The same download: CPU seconds | curl's plus the hash's, medians | at most 1.1 | $(figure download "^$pack: CPU against") |"
        echo "| The same download: throughput | plain curl, which verifies nothing | reported | $(figure download "^$pack: throughput against curl") |"
        echo "| Spread over the 11 runs | | reported | $(figure download "^$pack: spread") |"
    done
    echo "| Peak resident memory of the large download | | below 32 MB | $(figure download 'peak RSS') |"
    echo "| A download cut at 90 % of the large pack, then requested again: bytes the next request receives | the remainder | at most the remainder + 1 MiB | $(figure download '^resume: next') |"
}
rows_update() {
    echo "| An update of a 200 MiB pack of 4 files of which one 2 MiB file changed, from nginx on loopback: bytes of its HTTP requests and answers, headers included, each of 5 rounds | the changed file, the manifest and its signature | at most those + 64 KiB | $(figure update '^update bytes:') |"
    echo "| The same update: time, \`larkspire --update-packs\` | curl fetching the changed file plus \`openssl dgst -sha256\` of the whole new edition, runs alternating | at most 1.2 | $(figure update '^update time:') |"
    echo "| \`--verify-packs\` of the same pack: throughput | \`sha256sum\` over its files, runs alternating | at least 0.9 | $(figure update '^verify:') |"
    echo "| A check for updates with nothing new | | one request, no body | $(figure update '^nothing new:') |"
}
# "a, b, c ms beyond the bare window, pass by pass (target ...): met|MISSED" of one start-up mark.
startup_passes_of() {
    sed -nE "s/^$1: ([-0-9.]+) ms beyond.*/\1/p" "$logs/startup.txt" 2>/dev/null | awk -v t=16.7 '
        { v[NR] = $1; if ($1 > t) missed = 1 }
        END {
            if (!NR) { print "(not found: see the log)"; exit }
            for (i = 1; i <= NR; i++) printf "%s%s", (i > 1 ? ", " : ""), v[i]
            printf " ms beyond the bare window, pass by pass (target within one frame at 60 Hz, %s ms, in every pass): %s", t, (missed ? "MISSED" : "met") }'
}
rows_startup() {
    echo "| Start-up to the launch screen's first painted frame (offscreen), $startup_passes passes of 5 rounds | a bare Qt window with one label, round by round in turn | within one frame at 60 Hz in every pass | $(startup_passes_of 'launch frame') |"
    echo "| Start-up to the first screen, less the launch screen's 3.0 s hold (offscreen), $startup_passes passes of 5 rounds | a bare Qt window with one label, round by round in turn | within one frame at 60 Hz in every pass | $(startup_passes_of 'first screen less the hold') |"
}
rows_cpu() {
    echo "| CPU (% of one core) while songs play with the position display, 30 s (offscreen) | a bare GStreamer playbin of the same songs into autoaudiosink | at most 1.3 | $(ratio "$(number cpu '^CPU' ': ([0-9.]+) % of one core')" "$(number cpu-anchor 'bare playbin' ': ([0-9.]+) % of one core')" 1.3 %) |"
    local lit whole
    lit=$(rounds_of words-lit '^CPU' 'CPU ([0-9.]+) s in')
    whole=$(rounds_of whole-lines '^CPU' 'CPU ([0-9.]+) s in')
    echo "| CPU seconds while the same songs play with their words lit as they are sung, $rounds rounds of 30 s (offscreen) | the same songs with whole lines (their word times taken out), rounds alternating | at most 1.05 | $(ratio "$(echo "$lit" | sum)" "$(echo "$whole" | sum)" 1.05 s); by round $(by_round "$lit" "$whole") |"
}
rows_memory() {
    echo "| Resident memory after every screen, chapter 13 and a song (KiB, offscreen) | a bare Qt Multimedia player of chapter 13 and a song in one window | at most 1.3 | $(ratio "$(number memory 'after every screen' '^([0-9]+) KiB after')" "$(number memory-anchor 'bare player' 'player: ([0-9]+) KiB')" 1.3 KiB) |"
}
rows_chapter() {
    chapter_rows chapter-x "in a window of an X server"
    chapter_rows chapter-offscreen "offscreen"
}
rows_captions() {
    [ -s "$logs/captions-on-1.txt" ] || return 0
    local app_cpu mpv_cpu app_peak mpv_peak on_cpu off_cpu
    app_cpu=$(rounds_of captions-on 1)
    mpv_cpu=$(rounds_of mpv 1)
    app_peak=$(rounds_of captions-on 3)
    mpv_peak=$(rounds_of mpv 3)
    on_cpu=$(rounds_of captions-on '^cpu' ', ([0-9.]+) % of one core')
    off_cpu=$(rounds_of captions-off '^cpu' ', ([0-9.]+) % of one core')
    local of="medians of $rounds rounds"
    echo "| The 60 s 1080p chapter played once with captions (a cue every 2 s), in a 1024x768 window of an X server: CPU seconds of the whole process, GNU \`time -v\` | mpv with the same captions (\`--sub-file\`), in a window of the same size, software decoding, no audio output, \`--vo=x11\`: runs alternating | at most 0.9 | $(ratio "$(median <<<"$app_cpu")" "$(median <<<"$mpv_cpu")" 0.9 s), $of; % of one core over each run, application $(paste -d' ' <(echo "$app_cpu") <(rounds_of captions-on 2) | percent | median_min) against mpv $(paste -d' ' <(echo "$mpv_cpu") <(rounds_of mpv 2) | percent | median_min); round by round $(by_round "$app_cpu" "$mpv_cpu") |"
    echo "| The same, with captions: peak resident memory, KiB, GNU \`time -v\` | the same mpv | at most 1.0 | $(ratio "$(median <<<"$app_peak")" "$(median <<<"$mpv_peak")" 1.0 KiB), $of; round by round $(by_round "$app_peak" "$mpv_peak") |"
    echo "| The same chapter with captions on, tapped and played to its end: CPU, % of one core from the tap | the application with captions off, runs alternating | at most 1.05 | $(ratio "$(median <<<"$on_cpu")" "$(median <<<"$off_cpu")" 1.05 %), $of; round by round $(by_round "$on_cpu" "$off_cpu") |"
    local sink_on sink_off view_on view_off
    sink_on=$(rounds_of captions-on '^frames' ', ([0-9]+) dropped' | sum)
    sink_off=$(rounds_of captions-off '^frames' ', ([0-9]+) dropped' | sum)
    view_on=$(rounds_of captions-on '^painted' ', ([0-9]+) replaced' | sum)
    view_off=$(rounds_of captions-off '^painted' ', ([0-9]+) replaced' | sum)
    echo "| The same, captions on: frames dropped in all $rounds rounds, by the video sink as late and by the view (replaced before a paint) | captions off | no more | $(beyond "$((sink_on + view_on))" "$((sink_off + view_off))" 0 '') (sink $sink_on against $sink_off, view $view_on against $view_off) |"
    if [ -s "$logs/one-core-on-1.txt" ]; then
        local one_cpu one_mpv_cpu one_peak one_mpv_peak one_sink one_view
        one_cpu=$(rounds_of one-core-on 1)
        one_mpv_cpu=$(rounds_of one-core-mpv 1)
        one_peak=$(rounds_of one-core-on 3)
        one_mpv_peak=$(rounds_of one-core-mpv 3)
        one_sink=$(rounds_of one-core-on '^frames' ', ([0-9]+) dropped' | sum)
        one_view=$(rounds_of one-core-on '^painted' ', ([0-9]+) replaced' | sum)
        echo "| The same chapter with captions on one core (\`taskset -c 0\` for the player and the X server): CPU seconds of the whole process, GNU \`time -v\` | the same mpv on the same core: runs alternating | at most 1.0 | $(ratio "$(median <<<"$one_cpu")" "$(median <<<"$one_mpv_cpu")" 1.0 s), $of; round by round $(by_round "$one_cpu" "$one_mpv_cpu") |"
        echo "| The same on one core: peak resident memory, KiB, GNU \`time -v\` | the same mpv | at most 1.0 | $(ratio "$(median <<<"$one_peak")" "$(median <<<"$one_mpv_peak")" 1.0 KiB), $of; round by round $(by_round "$one_peak" "$one_mpv_peak") |"
        echo "| The same on one core: frames dropped in all $rounds rounds, by the video sink as late and by the view (replaced before a paint) | | none | $((one_sink + one_view)) dropped (sink $one_sink, view $one_view) (target 0): $([ $((one_sink + one_view)) -eq 0 ] && echo met || echo MISSED) |"
        local floor_peak
        floor_peak=$(rounds_of one-core-floor 3)
        echo "| The same on one core: peak resident memory, KiB, of the least a Qt Widgets window playing the chapter through GStreamer holds (\`bench_bare_pipeline\`: a \`playbin\` into an \`appsink\` of one frame, one decoding thread, no captions, no controls) | the same mpv | reported | $(reported_ratio "$(median <<<"$floor_peak")" "$(median <<<"$one_mpv_peak")" KiB); round by round $(by_round "$floor_peak" "$one_mpv_peak") |"
    fi
    echo "| The same chapter decoded alone, \`ffmpeg -f null\`: CPU, % of one core over the chapter's $chapter_seconds s | | reported | $(rounds_of decode 1 | awk -v s="$chapter_seconds" '{ printf "%.1f\n", 100 * $1 / s }' | median_min) %, $rounds rounds: the limit of decoding it |"
}
# Every round's time to the first screen less the hold, of one language's start-up log.
startup_rounds() {
    sed -nE 's/^round .*\(([0-9.]+) s less the hold\)/\1/p' "$logs/language-startup-$1.txt" 2>/dev/null
}
rows_language() {
    local en_peak de_peak
    echo "| Start-up to the first screen, less the hold, in German (offscreen): median of $(startup_rounds de | wc -l) rounds | the same in English, passes of 5 rounds taking turns | at most 1.05 | $(ratio "$(startup_rounds de | median)" "$(startup_rounds en | median)" 1.05 s) |"
    en_peak=$(sed -nE 's/.*Maximum resident set size \(kbytes\): ([0-9]+)/\1/p' \
        "$logs/language-memory-en.txt" | median)
    de_peak=$(sed -nE 's/.*Maximum resident set size \(kbytes\): ([0-9]+)/\1/p' \
        "$logs/language-memory-de.txt" | median)
    echo "| Peak resident memory to the first screen in German, median of $rounds, GNU \`time -v\` | the same in English | at most 1.05 | $(ratio "$de_peak" "$en_peak" 1.05 KiB) |"
}
rows_idle() {
    echo "| CPU ticks left alone for 60 s on the title screen (window and desktop services up) | | 0 | $(figure idle 'idle on the title screen') |"
    echo "| CPU ticks left alone for 60 s on the music screen, no song playing | | 0 | $(figure idle 'idle on the music screen') |"
}
rows_layout() {
    echo "| Fading scroll view layout pass, content 1000 points high | | constant | $(figure layout 'LayoutPass/1000 ') |"
    echo "| Fading scroll view layout pass, content 100000 points high | | constant | $(figure layout 'LayoutPass/100000') |"
}

# The table of the groups run, and then every log of the run.
table() {
    echo "| Benchmark | Anchor, in the same run | Target | Measured |"
    echo "|---|---|---|---|"
    for group in "${selected[@]}"; do
        "rows_$group"
    done
}
logs_of_run() {
    echo "Each benchmark's whole output (audio device warnings of the offscreen runs left out):"
    for log in "$logs"/*.txt; do
        echo
        echo "<details><summary>$(basename "$log" .txt)</summary>"
        echo
        echo '```'
        grep -v -E '^(ALSA lib|AL lib)' "$log" || true
        echo '```'
        echo "</details>"
    done
}

if [ ${#selected[@]} -lt ${#groups[@]} ]; then
    echo "Measured by \`bench/figures.sh ${selected[*]}\` on $(date -u '+%Y-%m-%d %H:%M UTC'); load average before the runs: $load_before."
    echo
    table
    echo
    logs_of_run
    exit 0
fi
{
    echo "# Benchmark figures"
    echo
    echo "Regenerated by \`bench/figures.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC')."
    echo
    echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores" \
        "($(grep -q sha_ni /proc/cpuinfo && echo 'with' || echo 'without') the SHA extensions)," \
        "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo) memory," \
        "$(uname -sr); load average before the runs: $load_before." \
        "X server for the chapter and idle rows: ${x_display:+Xvfb (software rendering)}${x_display:-none}."
    echo
    table
    echo
    cat "$root/bench/NOTE.md"
    echo
    logs_of_run
} >"$root/bench/README.md"
echo "bench: wrote $root/bench/README.md" >&2

#!/usr/bin/env bash
# An update of a 200 MiB pack of which one 2 MiB file changed, by `larkspire --update-packs`
# from nginx on loopback, against curl fetching that file plus `openssl dgst -sha256` of the
# whole new edition; `--verify-packs` of the pack against sha256sum over the same files; and a
# check with nothing new. Each round runs the application and its anchor, in turns.
#   bench/update/run.sh BUILD [ROUNDS]
set -euo pipefail
build=$1 rounds=${2:-5}
work=$(mktemp -d)
trap 'kill "$(cat "$work/nginx.pid" 2>/dev/null)" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
larkspire=$build/src/larkspire

mkdir -p source keys temp
for part in 1 2 3; do head -c $((66 << 20)) /dev/urandom >"source/part$part.bin"; done
"$build/tools/larkspire-pack" --new-key key >/dev/null
cp key.pub keys/bench.pub
publish() {
    head -c $((2 << 20)) /dev/urandom >source/changed.bin
    "$build/tools/larkspire-pack" source www/Video --tag Video --edition "$1" --key key >/dev/null
}
publish 1
# A port drawn at random, drawn again while it is taken.
for attempt in $(seq 20); do
    port=$(shuf -i 20000-60999 -n 1)
    cat >nginx.conf <<CONF
    daemon on;
    master_process off;
    pid $work/nginx.pid;
    error_log $work/error.log warn;
    events { worker_connections 64; }
    http {
        log_format bench '\$status \$body_bytes_sent \$request_uri \$bytes_sent \$request_length';
        access_log $work/access.log bench;
        sendfile on;
        client_body_temp_path $work/temp;
        proxy_temp_path $work/temp;
        fastcgi_temp_path $work/temp;
        uwsgi_temp_path $work/temp;
        scgi_temp_path $work/temp;
        server { listen 127.0.0.1:$port; root $work/www; etag on; }
    }
CONF
    "$(command -v nginx || echo /usr/sbin/nginx)" -p "$work" -c "$work/nginx.conf" 2>/dev/null && break
done
url=http://127.0.0.1:$port
export LARKSPIRE_CACHE_DIR=$work/cache LARKSPIRE_KEYS_DIR=$work/keys
sleep 0.5
"$larkspire" --content-url "$url" --download-packs Video 2>/dev/null

now() { date +%s.%N; }
loopback() { awk '/^ *lo:/ { print $2 }' /proc/net/dev; }
resent() { awk '/^Tcp:/ { n++; if (n == 2) print $13 }' /proc/net/snmp; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
update_times=() anchor_times=() sent=() wire=() allowed=() requested= retransmitted=
run_update() {
    : >access.log
    local before resent_before start
    before=$(loopback) resent_before=$(resent) start=$(now)
    "$larkspire" --content-url "$url" --update-packs Video >/dev/null 2>&1
    update_times+=("$(seconds "$start" "$(now)")")
    wire+=("$(($(loopback) - before))")
    retransmitted=$(($(resent) - resent_before))
    # Every byte of the update's requests and of the server's answers, headers included.
    sent+=("$(awk '{ s += $4 + $5 } END { print s + 0 }' access.log)")
    requested=$(awk '{ printf "%s%s %s %s", (NR > 1 ? "; " : ""), $1, $2, $3 }' access.log)
}
run_anchor() {
    local start
    start=$(now)
    curl -s -o /dev/null "$url/Video/changed.bin"
    openssl dgst -sha256 www/Video/* >/dev/null
    anchor_times+=("$(seconds "$start" "$(now)")")
}
for round in $(seq "$rounds"); do
    publish $((round + 1))
    if [ $((round % 2)) = 1 ]; then run_update; run_anchor; else run_anchor; run_update; fi
    allowed+=("$(stat -c %s www/Video/changed.bin www/Video/manifest.json www/Video/manifest.json.sig |
        awk '{ s += $1 } END { print s + 65536 }')")
    grep -q "^Video" <(LARKSPIRE_CACHE_DIR=$work/cache "$larkspire" --list-packs) ||
        { echo "update: the pack is not installed after round $round"; exit 1; }
    echo "round $round: update ${update_times[-1]} s, ${sent[-1]} bytes of HTTP (at most ${allowed[-1]}), ${wire[-1]} over loopback with TCP's own ($retransmitted segments sent again); curl and openssl ${anchor_times[-1]} s; the update's requests: $requested"
done

verify_times=() sum_times=()
for round in $(seq "$rounds"); do
    for which in app anchor; do
        start=$(now)
        if [ "$which" = app ]; then
            "$larkspire" --verify-packs Video >/dev/null
            verify_times+=("$(seconds "$start" "$(now)")")
        else
            sha256sum cache/packs/Video/*.bin >/dev/null
            sum_times+=("$(seconds "$start" "$(now)")")
        fi
    done
done

: >access.log
"$larkspire" --content-url "$url" --update-packs Video >/dev/null 2>&1
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
bytes=$(du -cb cache/packs/Video/*.bin | tail -1 | cut -f1)
worst=$(paste -d' ' <(printf '%s\n' "${sent[@]}") <(printf '%s\n' "${allowed[@]}") |
    awk '{ if ($1 - $2 > w || NR == 1) { w = $1 - $2; line = $1 " bytes against " $2 } } END { print line }')
met() { awk -v r="$1" -v t="$2" -v above="$3" 'BEGIN { print ((above ? r >= t : r <= t) ? "met" : "MISSED") }'; }
bytes_met=$(paste -d' ' <(printf '%s\n' "${sent[@]}") <(printf '%s\n' "${allowed[@]}") |
    awk '$1 > $2 { bad = 1 } END { print bad ? "MISSED" : "met" }')
echo "update bytes: the most over its allowance of $rounds rounds: $worst allowed (the changed file, the manifest, its signature and 64 KiB), HTTP headers included: $bytes_met"
time_ratio=$(awk -v a="$(median "${update_times[@]}")" -v b="$(median "${anchor_times[@]}")" 'BEGIN { printf "%.2f", a / b }')
echo "update time: $(median "${update_times[@]}") s against $(median "${anchor_times[@]}") s, medians of $rounds: ratio $time_ratio (target at most 1.2): $(met "$time_ratio" 1.2 0)"
verify_rate=$(awk -v b="$bytes" -v t="$(median "${verify_times[@]}")" 'BEGIN { printf "%.0f", b / t / 1048576 }')
sum_rate=$(awk -v b="$bytes" -v t="$(median "${sum_times[@]}")" 'BEGIN { printf "%.0f", b / t / 1048576 }')
verify_ratio=$(awk -v a="$verify_rate" -v b="$sum_rate" 'BEGIN { printf "%.2f", a / b }')
echo "verify: $verify_rate MiB/s against $sum_rate MiB/s, medians of $rounds over $bytes bytes: ratio $verify_ratio (target at least 0.9): $(met "$verify_ratio" 0.9 1)"
requests=$(wc -l <access.log) body=$(awk '{ s += $2 } END { print s + 0 }' access.log)
echo "nothing new: $requests request, $body body bytes ($(awk '{ printf "%s %s", $1, $3 }' access.log)): $([ "$requests" = 1 ] && [ "$body" = 0 ] && echo met || echo MISSED)"

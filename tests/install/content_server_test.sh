#!/usr/bin/env bash
# Serves the built media packs with the nginx server block of docs/content-server.md, as
# written there but for its port and root, checks the headers the guide promises, and has
# the content service fetch and install both packs from it.
#   content_server_test.sh GUIDE PACKS FETCH_PROGRAM KEYS
set -euo pipefail
guide=$1 packs=$2 fetch=$3 keys=$4
scratch=$(mktemp -d)
trap 'kill "$(cat "$scratch/nginx.pid" 2>/dev/null)" 2>/dev/null || true; rm -rf "$scratch"' EXIT
nginx=$(command -v nginx || echo /usr/sbin/nginx)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

block=$(sed -n '/<!-- server block: begin -->/,/<!-- server block: end -->/p' "$guide" |
  sed '/^```/d; /^<!--/d')
[ -n "$block" ] || { echo "no server block in $guide"; exit 1; }
block=$(sed -e "s|listen 8080;|listen 127.0.0.1:$port;|" -e "s|root /srv/larkspire;|root $packs;|" <<<"$block")
mkdir -p "$scratch/temp"
cat >"$scratch/nginx.conf" <<CONF
daemon on;
master_process off;
pid $scratch/nginx.pid;
error_log $scratch/error.log warn;
events { worker_connections 64; }
http {
    access_log off;
    client_body_temp_path $scratch/temp;
    proxy_temp_path $scratch/temp;
    fastcgi_temp_path $scratch/temp;
    uwsgi_temp_path $scratch/temp;
    scgi_temp_path $scratch/temp;
$block
}
CONF
"$nginx" -p "$scratch" -c "$scratch/nginx.conf"
base=http://127.0.0.1:$port

fail() { echo "FAIL: $*"; cat "$scratch/error.log" 2>/dev/null; exit 1; }
for _ in $(seq 50); do curl -s -o /dev/null "$base/Video/manifest.json" && break; sleep 0.1; done
head=$(curl -sI "$base/Video/manifest.json")
grep -qi '^HTTP/1.1 200' <<<"$head" || fail "HEAD manifest: $head"
grep -qi '^Cache-Control: no-cache' <<<"$head" || fail "manifest caching: $head"
head=$(curl -sI "$base/Video/manifest.json.sig")
grep -qi '^Cache-Control: no-cache' <<<"$head" || fail "signature caching: $head"
song=$(cd "$packs/Audio" && ls *.mp3 | head -1)
head=$(curl -sI "$base/Audio/${song// /%20}")
grep -qi '^Cache-Control: public, max-age=86400' <<<"$head" || fail "file caching: $head"
grep -qi '^Accept-Ranges: bytes' <<<"$head" || fail "ranges: $head"
code=$(curl -s -r 10-19 -o "$scratch/part" -w '%{http_code}' "$base/Audio/${song// /%20}")
[ "$code" = 206 ] && [ "$(stat -c %s "$scratch/part")" = 10 ] || fail "range answered $code"

for tag in Video Audio; do
  "$fetch" "$base" "$scratch/cache" "$tag" "$keys" >/dev/null || fail "fetching $tag"
done
for tag in Video Audio; do
  for file in "$packs/$tag"/*; do
    name=$(basename "$file")
    [ "$name" = manifest.json ] || [ "$name" = manifest.json.sig ] && continue
    found=$(find "$scratch/cache" -path "*$tag*" -name "$name" | head -1)
    [ -n "$found" ] && cmp -s "$file" "$found" || fail "$tag/$name not installed"
  done
done
echo "content server guide: both packs served and installed from $base"

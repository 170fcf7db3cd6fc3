#!/usr/bin/env bash
# The packs over HTTPS, from nginx with a certificate of a local certificate authority: trusted
# through the system's own store (in a mount namespace of this test's, where the store holds the
# authority), the packs install; an untrusted authority, a certificate of another name and a
# redirect from https to http are each refused with their line.
#   https_test.sh LARKSPIRE PACKS KEYS
set -euo pipefail
larkspire=$1 packs=$2 keys=$3
if [ -z "${LARKSPIRE_TLS_NAMESPACE:-}" ]; then
  # The store is replaced in a namespace of this test's alone; as root of a user namespace where
  # the machine does not make us root.
  private=(unshare --mount)
  [ "$(id -u)" = 0 ] || private=(unshare --user --map-root-user --mount)
  exec env LARKSPIRE_TLS_NAMESPACE=1 "${private[@]}" "$0" "$@"
fi
scratch=$(mktemp -d)
trap 'kill "$(cat "$scratch/nginx.pid" 2>/dev/null)" 2>/dev/null || true; rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*"; cat "$scratch/error.log" 2>/dev/null; exit 1; }
cd "$scratch"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
  -keyout ca.key -out ca.crt -subj "/CN=Larkspire test authority" 2>/dev/null
openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key \
  -out server.csr -subj "/CN=127.0.0.1" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n' >server.ext
openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
  -extfile server.ext -out server.crt 2>/dev/null
mkdir temp
# Two ports drawn at random, drawn again while one is taken.
for attempt in $(seq 20); do
  tls=$(shuf -i 20000-60999 -n 1) plain=$(shuf -i 20000-60999 -n 1)
  [ "$tls" != "$plain" ] || continue
  cat >nginx.conf <<CONF
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
    server {
        listen 127.0.0.1:$tls ssl;
        ssl_certificate $scratch/server.crt;
        ssl_certificate_key $scratch/server.key;
        root $packs;
        location /moved/ { rewrite ^/moved/(.*)\$ http://127.0.0.1:$plain/\$1 permanent; }
    }
    server { listen 127.0.0.1:$plain; root $packs; }
}
CONF
  "$(command -v nginx || echo /usr/sbin/nginx)" -p "$scratch" -c "$scratch/nginx.conf" 2>nginx.err &&
    break
  [ "$attempt" -lt 20 ] || fail "nginx did not start: $(cat nginx.err)"
done

# download URL: the pack command's exit status, its failure line in $scratch/err.
download() {
  LARKSPIRE_CACHE_DIR=$scratch/cache LARKSPIRE_KEYS_DIR=$keys \
    "$larkspire" --content-url "$1" --download-packs Video 2>"$scratch/err" >/dev/null
}
https=https://127.0.0.1:$tls
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$tls") 2>/dev/null && break; sleep 0.1; done
! download "$https" || fail "installed from an authority the system does not trust"
grep -q "$https/Video/manifest.json: .*SSL certificate problem: unable to get local issuer" err ||
  fail "untrusted: $(cat err)"

# The system's store, as this namespace sees it, holds the test authority and nothing else.
mount -t tmpfs tmpfs /etc/ssl/certs
cp ca.crt /etc/ssl/certs/ca-certificates.crt
download "$https" || fail "not installed over https: $(cat err)"
[ -s cache/packs/Video/.manifest.json ] || fail "nothing installed over https"
rm -rf cache
! download "https://localhost:$tls" || fail "installed with a certificate of another name"
grep -q "no alternative certificate subject name matches target host name 'localhost'" err ||
  fail "wrong name: $(cat err)"
! download "$https/moved" || fail "followed a redirect from https to http"
grep -qx "larkspire: pack \"Video\": $https/moved/Video/manifest.json: refused the redirect from $https/moved/Video/manifest.json to http://127.0.0.1:$plain/Video/manifest.json, which leaves https" err ||
  fail "redirect: $(cat err)"
[ ! -e cache/packs/Video ] || fail "installed through a redirect out of https"
echo "https: the trusted authority installs; untrusted, another name and a redirect to http refused"

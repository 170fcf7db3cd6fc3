#!/usr/bin/env bash
# The packs over HTTPS, from nginx with a certificate of a local certificate authority: trusted
# through --content-ca or $LARKSPIRE_CONTENT_CA, or through the system's own store (in a mount
# namespace of this test's, where the store holds the authority), the packs install; an
# untrusted authority, an expired certificate, a certificate of another name and a redirect from
# https to http are each refused with their line.
#   https_test.sh LARKSPIRE PACKS KEYS
set -euo pipefail
larkspire=$1 packs=$2 keys=$3
for tool in nginx openssl unshare; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] ||
    { echo "SKIPPED: no $tool, which the HTTPS test needs (tools/quickstart.sh installs it)"; exit 77; }
done
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
# The same server's certificate, valid for one day in 2020 only: `openssl ca` sets the dates.
mkdir issued && touch issued/index.txt && echo 1000 >issued/serial
cat >ca.cnf <<CONF
[ca]
default_ca = test
[test]
database = $scratch/issued/index.txt
new_certs_dir = $scratch/issued
serial = $scratch/issued/serial
default_md = sha256
policy = any
[any]
commonName = supplied
CONF
openssl ca -batch -notext -config ca.cnf -cert ca.crt -keyfile ca.key -in server.csr \
  -startdate 20200101000000Z -enddate 20200102000000Z -extfile server.ext -out expired.crt \
  2>/dev/null
mkdir temp
# Three ports drawn at random, drawn again while one is taken.
for attempt in $(seq 20); do
  read -r tls plain old < <(shuf -i 20000-60999 -n 3 | xargs)
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
    server {
        listen 127.0.0.1:$old ssl;
        ssl_certificate $scratch/expired.crt;
        ssl_certificate_key $scratch/server.key;
        root $packs;
    }
}
CONF
  "$(command -v nginx || echo /usr/sbin/nginx)" -p "$scratch" -c "$scratch/nginx.conf" 2>nginx.err &&
    break
  [ "$attempt" -lt 20 ] || fail "nginx did not start: $(cat nginx.err)"
done

# download URL [OPTION...]: the pack command's exit status, its failure line in $scratch/err.
download() {
  LARKSPIRE_CACHE_DIR=$scratch/cache LARKSPIRE_KEYS_DIR=$keys \
    "$larkspire" --content-url "$@" --download-packs Video 2>"$scratch/err" >/dev/null
}
https=https://127.0.0.1:$tls
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$tls") 2>/dev/null && break; sleep 0.1; done
! download "$https" || fail "installed from an authority the system does not trust"
grep -q "$https/Video/manifest.json: .*SSL certificate problem: unable to get local issuer" err ||
  fail "untrusted: $(cat err)"

# The authority named for the content source alone, on the command line or in the environment.
download "$https" --content-ca ca.crt || fail "not installed with --content-ca: $(cat err)"
[ -s cache/packs/Video/.manifest.json ] || fail "nothing installed with --content-ca"
rm -rf cache
LARKSPIRE_CONTENT_CA=$scratch/ca.crt download "$https" ||
  fail "not installed with LARKSPIRE_CONTENT_CA: $(cat err)"
rm -rf cache
! download "$https" --content-ca missing.pem || fail "installed with a missing authority file"
grep -q "$https/Video/manifest.json: .*missing.pem" err || fail "missing authority: $(cat err)"
! download "https://127.0.0.1:$old" --content-ca ca.crt || fail "installed with an expired certificate"
grep -q "https://127.0.0.1:$old/Video/manifest.json: .*certificate has expired" err ||
  fail "expired: $(cat err)"
[ ! -e cache/packs/Video ] || fail "a refused server left a pack"

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
echo "https: a trusted authority installs; untrusted, expired, another name and a redirect to http refused"

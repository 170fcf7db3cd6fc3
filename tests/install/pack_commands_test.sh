#!/usr/bin/env bash
# The terminal's pack commands against the default content source (the packs the build made,
# as file://), on a cache of their own: list, download all, remove one, and the failures,
# each with its exit status and its line.
#   pack_commands_test.sh LARKSPIRE PACKS
set -euo pipefail
larkspire=$1 packs=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export LARKSPIRE_CACHE_DIR=$scratch/cache
unset LARKSPIRE_CONTENT_URL
fail() { echo "FAILED: $*"; exit 1; }

[ "$("$larkspire" --list-packs)" = $'Audio\tabsent\t0\nVideo\tabsent\t0' ] ||
  fail "a fresh cache lists both packs as absent"

"$larkspire" --download-packs 2>"$scratch/progress" || fail "downloading every pack"
grep -q 'Video: 100%' "$scratch/progress" || fail "no progress line: $(cat "$scratch/progress")"
while IFS=$'\t' read -r tag state bytes; do
  [ "$state" = installed ] || fail "$tag is $state after the download"
  served=$(find "$packs/$tag" -type f ! -name manifest.json -printf '%s\n' | awk '{ s += $1 } END { print s }')
  [ "$bytes" -gt "$served" ] || fail "$tag takes $bytes bytes, less than its $served of files"
done < <("$larkspire" --list-packs)

"$larkspire" --remove-pack Video >/dev/null || fail "removing Video"
[ ! -e "$scratch/cache/packs/Video" ] || fail "the Video folder is still there"
"$larkspire" --list-packs | grep -qx $'Video\tabsent\t0' || fail "Video still listed"
"$larkspire" --list-packs | grep -q $'^Audio\tinstalled\t' || fail "Audio went with Video"

if "$larkspire" --download-packs Nope 2>"$scratch/err"; then fail "an unknown pack downloaded"; fi
grep -q '^larkspire: pack "Nope": .*Nope' "$scratch/err" || fail "unknown pack: $(cat "$scratch/err")"
if "$larkspire" --content-url http://127.0.0.1:9 --download-packs Video 2>"$scratch/err"; then
  fail "a download from nowhere succeeded"
fi
grep -q '^larkspire: pack "Video": .*127.0.0.1' "$scratch/err" || fail "no server: $(cat "$scratch/err")"
"$larkspire" --remove-pack 2>/dev/null && fail "--remove-pack without a tag"
echo "pack commands: all checks passed"

#!/usr/bin/env bash
# The terminal's pack commands against the default content source (the packs the build made,
# as file://), on a cache of their own: list, download all, remove one, and the failures (a
# tampered pack among them), each with its exit status and its line.
#   pack_commands_test.sh LARKSPIRE PACKS
set -euo pipefail
larkspire=$1 packs=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export LARKSPIRE_CACHE_DIR=$scratch/cache
unset LARKSPIRE_CONTENT_URL
fail() { echo "FAILED: $*"; exit 1; }

[ "$("$larkspire" --list-packs)" = $'Audio\tabsent\t0\t0\nVideo\tabsent\t0\t0' ] ||
  fail "a fresh cache lists both packs as absent"

"$larkspire" --download-packs 2>"$scratch/progress" || fail "downloading every pack"
# Off a terminal, one finished line per pack; on one (script(1) gives it a terminal), the line
# is redrawn in place as the pack arrives.
[ "$(cat "$scratch/progress")" = $'Audio: 100%\nVideo: 100%' ] ||
  fail "progress off a terminal: $(cat -A "$scratch/progress")"
while IFS=$'\t' read -r tag state bytes edition; do
  [ "$state" = installed ] || fail "$tag is $state after the download"
  [ "$edition" -ge 1 ] || fail "$tag lists edition $edition"
  served=$(find "$packs/$tag" -type f ! -name 'manifest.json*' -printf '%s\n' | awk '{ s += $1 } END { print s }')
  [ "$bytes" -gt "$served" ] || fail "$tag takes $bytes bytes, less than its $served of files"
done < <("$larkspire" --list-packs)

# Nothing newer at the source: up to date. A byte that rots is named, and only that file is
# fetched again.
[ "$("$larkspire" --update-packs)" = $'Audio: edition 2, up to date\nVideo: edition 2, up to date' ] ||
  fail "update: $("$larkspire" --update-packs 2>&1)"
[ "$("$larkspire" --verify-packs Video)" = "Video: every file sound" ] || fail "verify of a sound pack"
if command -v script >/dev/null; then
  LARKSPIRE_CACHE_DIR=$scratch/terminal script -qec "$(printf '%q ' "$larkspire") --download-packs Audio" \
    /dev/null >"$scratch/terminal.out" </dev/null || fail "downloading on a terminal"
  grep -qa $'\rAudio: [0-9]*%.*\rAudio: 100%' "$scratch/terminal.out" ||
    fail "no progress redrawn on a terminal: $(cat -A "$scratch/terminal.out")"
fi
printf 'X' | dd of="$scratch/cache/packs/Video/LKSChapter15.mp4" bs=1 seek=100 conv=notrunc 2>/dev/null
if "$larkspire" --verify-packs Video 2>"$scratch/err"; then fail "a damaged pack verified"; fi
grep -qx 'larkspire: pack "Video": damaged: LKSChapter15.mp4 (fetched again at its next download)' \
  "$scratch/err" || fail "damage: $(cat "$scratch/err")"
"$larkspire" --download-packs Video 2>/dev/null || fail "mending Video"
"$larkspire" --verify-packs Video >/dev/null || fail "Video not mended"

"$larkspire" --remove-pack Video >/dev/null || fail "removing Video"
[ ! -e "$scratch/cache/packs/Video" ] || fail "the Video folder is still there"
"$larkspire" --list-packs | grep -qx $'Video\tabsent\t0\t0' || fail "Video still listed"
"$larkspire" --list-packs | grep -q $'^Audio\tinstalled\t' || fail "Audio went with Video"

# A mirror that swapped a chapter and rewrote the manifest to match: refused, with its line.
mkdir "$scratch/mirror" && cp -r "$packs/Video" "$scratch/mirror/"
python3 - "$scratch/mirror/Video" <<'SWAP'
import hashlib, json, os, shutil, sys
folder = sys.argv[1]
shutil.copy(os.path.join(folder, "LKSChapter16.mp4"), os.path.join(folder, "LKSChapter15.mp4"))
manifest = json.load(open(os.path.join(folder, "manifest.json")))
for entry in manifest["files"]:
    data = open(os.path.join(folder, entry["name"]), "rb").read()
    entry["size"], entry["sha256"] = len(data), hashlib.sha256(data).hexdigest()
json.dump(manifest, open(os.path.join(folder, "manifest.json"), "w"), indent=2)
SWAP
if "$larkspire" --content-url "file://$scratch/mirror" --download-packs Video 2>"$scratch/err"; then
  fail "a tampered pack installed"
fi
grep -qx 'larkspire: pack "Video": file://.*/Video/manifest.json: signature does not match' \
  "$scratch/err" || fail "tampered pack: $(cat "$scratch/err")"
[ ! -e "$scratch/cache/packs/Video" ] || fail "the tampered pack was installed"

if "$larkspire" --download-packs Nope 2>"$scratch/err"; then fail "an unknown pack downloaded"; fi
grep -q '^larkspire: pack "Nope": .*Nope' "$scratch/err" || fail "unknown pack: $(cat "$scratch/err")"
! grep -q '%.*larkspire:' "$scratch/err" || fail "the failure line starts mid-line: $(cat -A "$scratch/err")"

# Removing: a typo is refused with the known tags; a known pack not on the machine says so.
if "$larkspire" --remove-pack video >"$scratch/out" 2>"$scratch/err"; then fail "a typo was removed"; fi
grep -qx 'larkspire: no pack is called "video"; the packs are Audio, Video' "$scratch/err" ||
  fail "typo: $(cat "$scratch/err")"
"$larkspire" --remove-pack Video >"$scratch/out" || fail "removing a pack that is not there"
[ "$(cat "$scratch/out")" = "Video is not on this machine" ] || fail "absent pack: $(cat "$scratch/out")"
if "$larkspire" --content-url http://127.0.0.1:9 --download-packs Video 2>"$scratch/err"; then
  fail "a download from nowhere succeeded"
fi
grep -q '^larkspire: pack "Video": .*127.0.0.1' "$scratch/err" || fail "no server: $(cat "$scratch/err")"
# Listing never loads the on-demand module; a download that cannot load it ends its lines.
LARKSPIRE_CONTENT_MODULE=/nonexistent.so "$larkspire" --list-packs >/dev/null 2>"$scratch/err" ||
  fail "listing without the module"
[ ! -s "$scratch/err" ] || fail "listing loaded the module: $(cat "$scratch/err")"
if LARKSPIRE_CONTENT_MODULE=/nonexistent.so "$larkspire" --download-packs Video 2>"$scratch/err"; then
  fail "a download without the module succeeded"
fi
! grep -q '%.*larkspire:' "$scratch/err" || fail "mid-line without the module: $(cat -A "$scratch/err")"
"$larkspire" --remove-pack 2>/dev/null && fail "--remove-pack without a tag"
echo "pack commands: all checks passed"

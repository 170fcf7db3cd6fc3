#!/usr/bin/env bash
# The catalogues are complete and up to date: lupdate, run over today's sources, finds nothing to
# change in them and no text without a translation.
#   catalogues_test.sh LUPDATE PROJECT_CMAKE GENERATE_PROJECT_SCRIPT CATALOGUES LANGUAGES OPTIONS...
set -euo pipefail
lupdate=$1 project=$2 generate=$3 catalogues=$4 languages=${5//;/ }
shift 5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DIN_FILE="$project" -DOUT_FILE="$work/project.json" -P "$generate"
for language in $languages; do cp "$catalogues/larkspire_$language.ts" "$work/"; done
"$lupdate" -project "$work/project.json" "$@" -ts "$work"/larkspire_*.ts >/dev/null 2>&1
status=0
for language in $languages; do
    fresh=$work/larkspire_$language.ts
    diff "$catalogues/larkspire_$language.ts" "$fresh" >"$work/changes" || {
        echo "larkspire_$language.ts does not match the sources; build update_translations:"
        head -20 "$work/changes"
        status=1
    }
    if grep -B2 'type="unfinished"' "$fresh" | grep -o 'id="[^"]*"' >"$work/missing"; then
        echo "larkspire_$language.ts has texts without a translation:" && cat "$work/missing"
        status=1
    fi
done
exit $status

#!/bin/sh
# The desktop entry and the metadata speak every language of the catalogues: each translated key
# of the entry, and each paragraph, summary and screenshot caption of the metadata, once per
# language.  desktop_languages_test.sh DESKTOP_ENTRY METAINFO LANGUAGE...
entry=$1 metainfo=$2
shift 2
status=0
for language in "$@"; do
  for key in GenericName Comment Keywords; do
    grep -q "^$key\[$language\]=" "$entry" || { echo "$entry: no $key[$language]"; status=1; }
  done
  for element in summary p caption; do
    english=$(grep -c "<$element>" "$metainfo")
    translated=$(grep -c "<$element xml:lang=\"$language\">" "$metainfo")
    [ "$english" -eq "$translated" ] ||
      { echo "$metainfo: $translated of $english <$element> in $language"; status=1; }
  done
done
exit $status

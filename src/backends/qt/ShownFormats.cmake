# Writes OUT, the formats of the composed texts a family reads: every marked text of SOURCES
# (a list file, one path a line) with a "%1" in it, as a C++ array QtTexts.cpp includes.
file(STRINGS "${SOURCES}" sources)
set(formats "")
foreach(source ${sources})
  file(READ "${source}" text)
  string(REGEX MATCHALL "NSLocalizedString\\(\"[^\"]*%1[^\"]*\"\\)" found "${text}")
  foreach(call ${found})
    string(REGEX REPLACE "^NSLocalizedString\\((\"[^\"]*\")\\)$" "\\1" format "${call}")
    list(APPEND formats "${format}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES formats)
list(SORT formats)
list(JOIN formats ",\n    " items)
file(WRITE "${OUT}.new" "// Made by ShownFormats.cmake from the marked texts of the sources.\n"
                        "constexpr const char* kShownFormats[] = {\n    ${items}};\n")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")

# Writes OUT, a C++ file that only lupdate reads: every text of the interface descriptions in
# UI_DIR (titles, texts, placeholders), and the desktop's texts of DESKTOP_FILES, each marked as
# the story's own texts are, so that the catalogues hold them too. Views marked
# "translate": false show names, which stay as they are.
file(GLOB descriptions "${UI_DIR}/*.json")
set(texts "")

function(collect json)
  string(JSON type TYPE "${json}")
  if(type STREQUAL "ARRAY")
    string(JSON count LENGTH "${json}")
    if(count GREATER 0)
      math(EXPR last "${count} - 1")
      foreach(index RANGE ${last})
        string(JSON itemType TYPE "${json}" ${index})
        if(itemType MATCHES "^(OBJECT|ARRAY)$")
          string(JSON item GET "${json}" ${index})
          collect("${item}")
        endif()
      endforeach()
    endif()
  elseif(type STREQUAL "OBJECT")
    string(JSON translate ERROR_VARIABLE none GET "${json}" translate)
    string(JSON count LENGTH "${json}")
    if(count GREATER 0)
      math(EXPR last "${count} - 1")
      foreach(index RANGE ${last})
        string(JSON key MEMBER "${json}" ${index})
        string(JSON value GET "${json}" "${key}")
        string(JSON valueType TYPE "${json}" "${key}")
        if(valueType STREQUAL "STRING" AND key MATCHES "^(text|title|placeholder)$"
           AND NOT value STREQUAL "" AND NOT translate STREQUAL "OFF")
          string(REPLACE "\\" "\\\\" value "${value}")
          string(REPLACE "\"" "\\\"" value "${value}")
          set(texts "${texts}NSLocalizedString(\"${value}\");\n")
        elseif(valueType MATCHES "^(OBJECT|ARRAY)$")
          collect("${value}")
        endif()
      endforeach()
    endif()
  endif()
  set(texts "${texts}" PARENT_SCOPE)
endfunction()

# The desktop entry's name, generic name, comment and keywords, and the metadata's name,
# summary, paragraphs and screenshot captions, each on a line of its own.
foreach(file ${DESKTOP_FILES})
  file(STRINGS "${file}" lines REGEX "^(Name|GenericName|Comment|Keywords)=|<(name|summary|p|caption)>")
  foreach(line ${lines})
    string(REGEX REPLACE
           "^(Name|GenericName|Comment|Keywords)=|^ *<(name|summary|p|caption)>|</(name|summary|p|caption)>$"
           "" value "${line}")
    set(texts "${texts}NSLocalizedString(\"${value}\");\n")
  endforeach()
endforeach()

foreach(description ${descriptions})
  file(READ "${description}" json)
  collect("${json}")
endforeach()
file(WRITE "${OUT}.new" "// Made from the interface descriptions; read by lupdate, never built.\n${texts}")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")

# Merges po/calcadia.pot into every catalog: new texts come in untranslated, changed ones fuzzy.
foreach(lang IN LISTS LANGUAGES)
  execute_process(COMMAND msgmerge --quiet --update --backup=none ${PO_DIR}/${lang}.po ${PO_DIR}/calcadia.pot
                  RESULT_VARIABLE result)
  if(result)
    message(FATAL_ERROR "msgmerge failed on ${lang}.po")
  endif()
endforeach()

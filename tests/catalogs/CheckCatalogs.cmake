# Checks that every text of the code, the menu entry and the metainfo is in the catalogs:
# cmake -DSRC=<repo> -DOUT=<folder> "-DXGETTEXT_ARGS=..." "-DSOURCES=..." "-DPACKAGING_ARGS=..."
# "-DPACKAGING_SOURCES=..." "-DLANGUAGES=..." -P CheckCatalogs.cmake. The texts are extracted afresh;
# po/calcadia.pot must hold each, and each language must translate each (a fuzzy or empty one would
# show in English in the middle of that language's screens).
execute_process(COMMAND xgettext ${XGETTEXT_ARGS} -o ${OUT}/fresh.pot ${SOURCES}
                WORKING_DIRECTORY ${SRC} RESULT_VARIABLE result ERROR_VARIABLE error)
if(result)
  message(FATAL_ERROR "xgettext failed: ${error}")
endif()
# The menu entry's and the metainfo's texts, which the build merges from the same catalogs.
execute_process(COMMAND xgettext ${PACKAGING_ARGS} -o ${OUT}/fresh.pot ${PACKAGING_SOURCES}
                WORKING_DIRECTORY ${SRC} RESULT_VARIABLE result ERROR_VARIABLE error)
if(result)
  message(FATAL_ERROR "xgettext failed on the packaging's texts: ${error}")
endif()
set(faults "")
execute_process(COMMAND msgcmp --use-untranslated ${SRC}/po/calcadia.pot ${OUT}/fresh.pot
                RESULT_VARIABLE result ERROR_VARIABLE error)
if(result)
  string(APPEND faults "po/calcadia.pot is out of date (cmake --build build --target update-po):\n${error}\n")
endif()
foreach(lang IN LISTS LANGUAGES)
  execute_process(COMMAND msgcmp ${SRC}/po/${lang}.po ${OUT}/fresh.pot RESULT_VARIABLE result ERROR_VARIABLE error)
  if(result)
    string(APPEND faults "po/${lang}.po leaves texts untranslated:\n${error}\n")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "${faults}")
endif()

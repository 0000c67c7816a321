# Checks that every text of the code, the menu entry and the metainfo is in the catalogs:
# cmake -DSRC=<repo> -DOUT=<folder> "-DXGETTEXT_ARGS=..." "-DSOURCES=..." "-DPACKAGING_ARGS=..."
# "-DPACKAGING_SOURCES=..." "-DLANGUAGES=..." -P CheckCatalogs.cmake. The texts are extracted afresh;
# po/calcadia.pot must hold each, and each language must translate each that a screen shows (a fuzzy or
# empty one would show in English in the middle of that language's screens).
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
# The history's options and the teacher's report are read on a terminal or a page, not on the game's
# screens or in the menus: until a language translates them they read in English, so only the template
# must hold them.
set(SCREEN_SOURCES ${SOURCES})
list(FILTER SCREEN_SOURCES EXCLUDE REGEX "(app/HistoryOptions|records/Report[A-Za-z]*)\\.cpp$")
execute_process(COMMAND xgettext ${XGETTEXT_ARGS} -o ${OUT}/screens.pot ${SCREEN_SOURCES}
                WORKING_DIRECTORY ${SRC} RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result)
  execute_process(COMMAND xgettext ${PACKAGING_ARGS} -o ${OUT}/screens.pot ${PACKAGING_SOURCES}
                  WORKING_DIRECTORY ${SRC} RESULT_VARIABLE result ERROR_VARIABLE error)
endif()
if(result)
  message(FATAL_ERROR "xgettext failed: ${error}")
endif()
foreach(lang IN LISTS LANGUAGES)
  execute_process(COMMAND msgcmp ${SRC}/po/${lang}.po ${OUT}/screens.pot RESULT_VARIABLE result ERROR_VARIABLE error)
  if(result)
    string(APPEND faults "po/${lang}.po leaves texts untranslated:\n${error}\n")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "${faults}")
endif()

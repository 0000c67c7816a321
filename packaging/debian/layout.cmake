# Turns the staged install into Debian's layout just before cpack packs it (CPACK_PRE_BUILD_SCRIPTS):
#  - the game in /usr/games, as Debian keeps games; its Data/ is ../share/calcadia from there as from bin/;
#  - Data/Fonts/beware.ttf a link to the font that fonts-league-spartan installs (a dependency), rather
#    than a second copy of it under a name that says TrueType for an OpenType font;
#  - /usr/share/doc/calcadia/copyright, machine-readable, covering the game and the font, and the
#    changelog, compressed as Debian keeps them.
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")
if(NOT EXISTS "${usr}/bin/calcadia")
  message(FATAL_ERROR "debian/layout.cmake: no usr/bin/calcadia in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
file(MAKE_DIRECTORY "${usr}/games")
file(RENAME "${usr}/bin/calcadia" "${usr}/games/calcadia")
file(GLOB left "${usr}/bin/*")
if(NOT left)
  file(REMOVE_RECURSE "${usr}/bin")
endif()

set(fonts "${usr}/share/calcadia/Data/Fonts")
file(REMOVE "${fonts}/beware.ttf" "${fonts}/LICENSE.txt")
# Relative, as Debian keeps links within /usr.
file(RELATIVE_PATH font_link /usr/share/calcadia/Data/Fonts "${CPACK_CALCADIA_FONT}")
file(CREATE_LINK "${font_link}" "${fonts}/beware.ttf" SYMBOLIC)

# Each font's stanza is its fonts package's own (its upstream files, licence text included), named after
# where the game keeps it. The cut fonts (the fallback, a script's letters) travel as files, each with
# its package's copyright file beside it as NAME-LICENSE.txt; that text moves into this file, where
# Debian looks for it.
function(font_stanza copyright_file out)
  execute_process(COMMAND awk -f "${CPACK_CALCADIA_DEBIAN_DIR}/font-stanza.awk" "${copyright_file}"
                  OUTPUT_VARIABLE stanza RESULT_VARIABLE failed)
  if(failed OR NOT stanza)
    message(FATAL_ERROR "debian/layout.cmake: ${copyright_file} has no Files: * paragraph")
  endif()
  set(${out} "${stanza}" PARENT_SCOPE)
endfunction()
font_stanza("${CPACK_CALCADIA_FONT_LICENCE}" font_stanza)
set(CALCADIA_CONTACT "${CPACK_PACKAGE_CONTACT}")
configure_file("${CPACK_CALCADIA_DEBIAN_DIR}/copyright.in" "${usr}/share/doc/calcadia/copyright" @ONLY)
file(APPEND "${usr}/share/doc/calcadia/copyright"
     "\nFiles: usr/share/calcadia/Data/Fonts/beware.ttf\n${font_stanza}")
file(GLOB licences RELATIVE "${fonts}" "${fonts}/*-LICENSE.txt")
list(SORT licences)
foreach(licence IN LISTS licences)
  string(REGEX REPLACE "-LICENSE\\.txt$" "" name "${licence}")
  file(GLOB cut RELATIVE "${fonts}" "${fonts}/${name}.ttf" "${fonts}/${name}.otf")
  if(NOT cut)
    message(FATAL_ERROR "debian/layout.cmake: ${licence} is beside no font named ${name}")
  endif()
  font_stanza("${fonts}/${licence}" cut_stanza)
  file(REMOVE "${fonts}/${licence}")
  file(APPEND "${usr}/share/doc/calcadia/copyright"
       "\nFiles: usr/share/calcadia/Data/Fonts/${cut}\n${cut_stanza}")
endforeach()
execute_process(COMMAND gzip -9nc "${CPACK_CALCADIA_DEBIAN_DIR}/changelog"
                OUTPUT_FILE "${usr}/share/doc/calcadia/changelog.gz" RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "debian/layout.cmake: gzip failed")
endif()

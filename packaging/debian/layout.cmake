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
# where the game keeps it. The fallback font is a cut of fonts-dejavu-core's, so it travels as a file;
# its licence text moves from beside it into this file, where Debian looks for it.
function(font_stanza copyright_file out)
  file(READ "${copyright_file}" text)
  string(FIND "${text}" "\nFiles: *\n" start)
  string(FIND "${text}" "\nFiles: debian/*\n" end)
  if(start LESS 0 OR end LESS start)
    message(FATAL_ERROR "debian/layout.cmake: ${copyright_file} is not laid out as expected")
  endif()
  math(EXPR start "${start} + 10")
  math(EXPR length "${end} - ${start}")
  string(SUBSTRING "${text}" ${start} ${length} stanza)
  set(${out} "${stanza}" PARENT_SCOPE)
endfunction()
font_stanza("${CPACK_CALCADIA_FONT_LICENCE}" font_stanza)
set(CALCADIA_CONTACT "${CPACK_PACKAGE_CONTACT}")
configure_file("${CPACK_CALCADIA_DEBIAN_DIR}/copyright.in" "${usr}/share/doc/calcadia/copyright" @ONLY)
file(APPEND "${usr}/share/doc/calcadia/copyright"
     "\nFiles: usr/share/calcadia/Data/Fonts/beware.ttf\n${font_stanza}\n")
if(EXISTS "${fonts}/fallback-LICENSE.txt")
  font_stanza("${fonts}/fallback-LICENSE.txt" fallback_stanza)
  file(REMOVE "${fonts}/fallback-LICENSE.txt")
  file(APPEND "${usr}/share/doc/calcadia/copyright"
       "\nFiles: usr/share/calcadia/Data/Fonts/fallback.ttf\n${fallback_stanza}\n")
endif()
execute_process(COMMAND gzip -9nc "${CPACK_CALCADIA_DEBIAN_DIR}/changelog"
                OUTPUT_FILE "${usr}/share/doc/calcadia/changelog.gz" RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "debian/layout.cmake: gzip failed")
endif()

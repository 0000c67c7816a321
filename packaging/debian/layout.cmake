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

# The font's stanza is the fonts package's own (its upstream files, licence text included), named
# after where the game keeps the link.
file(READ "${CPACK_CALCADIA_FONT_LICENCE}" font_copyright)
string(FIND "${font_copyright}" "\nFiles: *\n" start)
string(FIND "${font_copyright}" "\nFiles: debian/*\n" end)
if(start LESS 0 OR end LESS start)
  message(FATAL_ERROR "debian/layout.cmake: ${CPACK_CALCADIA_FONT_LICENCE} is not laid out as expected")
endif()
math(EXPR start "${start} + 10")
math(EXPR length "${end} - ${start}")
string(SUBSTRING "${font_copyright}" ${start} ${length} font_stanza)
set(CALCADIA_CONTACT "${CPACK_PACKAGE_CONTACT}")
configure_file("${CPACK_CALCADIA_DEBIAN_DIR}/copyright.in" "${usr}/share/doc/calcadia/copyright" @ONLY)
file(APPEND "${usr}/share/doc/calcadia/copyright"
     "\nFiles: usr/share/calcadia/Data/Fonts/beware.ttf\n${font_stanza}\n")
execute_process(COMMAND gzip -9nc "${CPACK_CALCADIA_DEBIAN_DIR}/changelog"
                OUTPUT_FILE "${usr}/share/doc/calcadia/changelog.gz" RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "debian/layout.cmake: gzip failed")
endif()

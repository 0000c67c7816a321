# The browser build (emcmake cmake, see build.sh web): the game's own libraries from src/, linked with
# the WebAssembly builds of SDL2, FreeType, libpng, zlib, libogg and libvorbis that scripts/web-deps.sh
# made, and packed by web/package.mjs into build-web/: the page, its script, module
# and data, the service worker, and calcadia-offline.html (everything in one file).
if(NOT CALCADIA_WEB_DEPS OR NOT EXISTS ${CALCADIA_WEB_DEPS}/lib/libSDL2.a)
  message(FATAL_ERROR "CALCADIA_WEB_DEPS must name the folder scripts/web-deps.sh prints")
endif()
if(NOT CALCADIA_DATA OR NOT EXISTS ${CALCADIA_DATA}/Fonts)
  message(FATAL_ERROR "CALCADIA_DATA must name a Data/ folder made by the native build")
endif()
set(CALCADIA_WEB_OUT ${CMAKE_SOURCE_DIR}/build-web CACHE PATH "Where the page and its files go")

# The same target names the native build gets from pkg-config, so src/ links them unchanged.
function(web_library name)
  add_library(${name} INTERFACE IMPORTED)
  set(libs)
  foreach(lib ${ARGN})
    list(APPEND libs ${CALCADIA_WEB_DEPS}/lib/${lib})
  endforeach()
  set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${CALCADIA_WEB_DEPS}/include"
                                           INTERFACE_LINK_LIBRARIES "${libs}")
endfunction()
file(MAKE_DIRECTORY ${CALCADIA_WEB_DEPS}/include/SDL2 ${CALCADIA_WEB_DEPS}/include/freetype2)
web_library(PkgConfig::SDL2 libSDL2.a)
target_include_directories(PkgConfig::SDL2 INTERFACE ${CALCADIA_WEB_DEPS}/include/SDL2)
web_library(PkgConfig::FREETYPE libfreetype.a libz.a)
target_include_directories(PkgConfig::FREETYPE INTERFACE ${CALCADIA_WEB_DEPS}/include/freetype2)
web_library(PkgConfig::PNG libpng16.a libz.a)
web_library(PkgConfig::VORBISFILE libvorbisfile.a libvorbis.a libogg.a)
# The page's pictures are the game's own PNGs: the module reads no JPEG (platform/web/JpegDecodeWeb.cpp).
add_library(JPEG::JPEG INTERFACE IMPORTED)
add_library(OpenGL::GL INTERFACE IMPORTED)
add_library(Threads::Threads INTERFACE IMPORTED)

# Small over fast: the module is most of what a first visit downloads before the title, and a frame's
# work is a fraction of a millisecond either way.
string(REPLACE "-O3" "-Os" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-Os" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")

# Every C++ file sees the standard library's missing double conversions (see the header).
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_SOURCE_DIR}/src/platform/web/CharconvDoubles.h>")

add_subdirectory(src)

add_executable(calcadia src/app/WebMain.cpp)
target_link_libraries(calcadia PRIVATE calcadia_app)
set_target_properties(calcadia PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/linked SUFFIX ".js")
# SDL's audio calls these helpers of emscripten's runtime, which are left out unless asked for.
# (Named in a file: a dollar sign does not survive the makefile's quoting.)
set(WEB_SDL_HELPERS "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/web/sdl-helpers.json")
target_link_options(calcadia PRIVATE ${WEB_SDL_HELPERS}
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
  # The page fetches the module and Data/ itself (see web/index.html) and writes the data into the
  # module's file system before the game starts.
  -sFORCE_FILESYSTEM=1
  -sEXPORTED_RUNTIME_METHODS=[callMain,FS,addRunDependency,removeRunDependency]
  -sINVOKE_RUN=1 -sEXIT_RUNTIME=0
  -sENVIRONMENT=web)
# Packed every build (the data may have changed while the module did not).
find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)
file(GLOB PAGE_MODULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/page/*.mjs)
# The message catalogs and the page's own texts the native build compiled beside Data/ go with it.
add_custom_target(calcadia_page ALL
  COMMAND ${NODE_EXECUTABLE} ${CMAKE_SOURCE_DIR}/web/package.mjs ${CMAKE_BINARY_DIR}/linked ${CALCADIA_DATA}
          ${CALCADIA_WEB_OUT}
  DEPENDS calcadia ${CMAKE_SOURCE_DIR}/web/package.mjs ${CMAKE_SOURCE_DIR}/web/bundle.mjs ${PAGE_MODULES}
          ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/sw.js ${CMAKE_SOURCE_DIR}/web/manifest.webmanifest
  COMMENT "Packing the page into ${CALCADIA_WEB_OUT}")

# The replay runner of tests/replay, for the browser tests: the recorded games played in the page
# must give the same statistics as on the desktop. It throws to leave a finished game, so its own
# files catch exceptions.
add_executable(replay_web tests/replay/ReplayMain.cpp tests/replay/Replay.cpp tests/replay/Recorder.cpp
               tests/web/ReplayDriver.cpp)
target_include_directories(replay_web PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(replay_web PRIVATE calcadia_app)
target_compile_options(replay_web PRIVATE -fexceptions)
set_target_properties(replay_web PROPERTIES OUTPUT_NAME replay SUFFIX ".js"
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/replay)
target_link_options(replay_web PRIVATE ${WEB_SDL_HELPERS} -fexceptions -sDISABLE_EXCEPTION_CATCHING=0
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
  -sENVIRONMENT=web -sEXIT_RUNTIME=1
  "SHELL:--preload-file ${CALCADIA_DATA}@/Data" "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/tests/replay/scripts@/replay")
add_custom_command(TARGET replay_web POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/tests/web/replay.html ${CMAKE_BINARY_DIR}/replay/index.html)

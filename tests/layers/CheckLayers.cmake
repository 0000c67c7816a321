# Checks that includes follow the layers: cmake -DSRC=<src folder> -P CheckLayers.cmake.
# - The test hooks (platform/Testing.h, platform/sound/SoundTesting.h) are included by no game file and
#   by no other header, so nothing the game does can come to depend on them.
# - The platform library includes nothing of the sound library, which is built on it.
# - Only src/platform sees SDL, OpenGL, FreeType, libpng, libjpeg, Vorbis or gettext.
# - The game sees only the platform's top folder (its headers); each folder below it has one job, and
#   the jobs lean one way: drawing (gfx/) knows no window system, the clock (loop/) knows no picture,
#   files and processes (sys/) and sound know none of the others, and only x11/ sees the X library.
#   The browser's variants (web/) are chosen by the build, so nothing includes them.
set(faults "")

# Notes every file of `files` that has an #include line matching `pattern`.
function(forbid_includes files pattern why)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^#include ${pattern}")
    if(lines)
      string(APPEND faults "${file}: ${why}\n")
    endif()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE game_files ${SRC}/shell/* ${SRC}/toolkit/* ${SRC}/gameplay/* ${SRC}/screens/* ${SRC}/main.cpp)
file(GLOB_RECURSE platform_headers ${SRC}/platform/*.h)
list(FILTER platform_headers EXCLUDE REGEX "/(Testing|SoundTesting)\\.h$")
forbid_includes("${game_files};${platform_headers}" "\"platform/(sound/Sound)?Testing\\.h\"" "includes a test hook header")

file(GLOB_RECURSE platform_files ${SRC}/platform/*.h ${SRC}/platform/*.cpp)
list(FILTER platform_files EXCLUDE REGEX "/platform/sound/")
forbid_includes("${platform_files}" "\"platform/sound/" "the platform library includes a sound header")

forbid_includes("${game_files}" "\"platform/(gfx|gl|x11|loop|input|sys|web)/" "includes a platform header from below its top folder")

file(GLOB top_headers ${SRC}/platform/*.h)
forbid_includes("${top_headers}" "\"platform/(gfx|gl|x11|loop|input|sys|web)/" "a header the game includes pulls in a platform folder")
file(GLOB_RECURSE gfx_files ${SRC}/platform/gfx/*)
forbid_includes("${gfx_files}" "\"platform/(x11|web|loop|input)/" "drawing reaches into a window system, the clock or input")
file(GLOB_RECURSE loop_files ${SRC}/platform/loop/*)
forbid_includes("${loop_files}" "\"platform/(gfx|gl|web)/" "the clock reaches into drawing")
file(GLOB_RECURSE leaf_files ${SRC}/platform/sys/* ${SRC}/platform/sound/*)
forbid_includes("${leaf_files}" "\"platform/(gfx|gl|x11|loop|input|web)/" "files, processes or sound reach into another platform folder")
file(GLOB_RECURSE all_files ${SRC}/*.h ${SRC}/*.cpp)
forbid_includes("${all_files}" "\"platform/web/" "includes a browser variant, which the build chooses")
set(not_x11 ${all_files})
list(FILTER not_x11 EXCLUDE REGEX "/platform/x11/")
forbid_includes("${not_x11}" "<X11/" "sees the X library outside x11/")

forbid_includes("${game_files}" "<(SDL|GL/|ft2build|freetype/|png\\.h|jpeglib|vorbis/|ogg/|libintl\\.h)"
                "sees a library below the platform layer")

if(faults)
  message(FATAL_ERROR "${faults}")
endif()

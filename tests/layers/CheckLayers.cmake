# Checks that includes follow the layers: cmake -DSRC=<src folder> -P CheckLayers.cmake.
# - The test hooks (platform/Testing.h, platform/sound/SoundTesting.h) are included by no game file and
#   by no other header, so nothing the game does can come to depend on them.
# - The platform library includes nothing of the sound library, which is built on it.
# - Only src/platform sees SDL, OpenGL, FreeType, libpng, libjpeg, Vorbis or gettext.
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

file(GLOB platform_files ${SRC}/platform/*.h ${SRC}/platform/*.cpp)
forbid_includes("${platform_files}" "\"platform/sound/" "the platform library includes a sound header")

forbid_includes("${game_files}" "<(SDL|GL/|ft2build|freetype/|png\\.h|jpeglib|vorbis/|ogg/|libintl\\.h)"
                "sees a library below the platform layer")

if(faults)
  message(FATAL_ERROR "${faults}")
endif()

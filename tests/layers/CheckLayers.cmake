# Checks that includes follow the layers: cmake -DSRC=<src folder> -P CheckLayers.cmake.
# - The test hooks are declared in a testing header of the folder that carries them out (for example
#   platform/gfx/GfxTesting.h), which only that folder's files include; platform/Testing.h gathers them
#   for the tests, and no file of the program includes it. So nothing the game does can come to depend
#   on them.
# - The frame loop (loop/) never reads the drawing counters: how it waits must not hang on what was drawn.
# - The platform library includes nothing of the sound library, which is built on it.
# - Only src/platform sees SDL, OpenGL, FreeType, libpng, libjpeg, Vorbis or gettext.
# - The game's folders lean one way too: app (the entries, start-up, the command line) uses play (gameplay
#   and screens), play uses the toolkit and the kept records, and all of them use the shell, the core;
#   no folder includes one above it, and the toolkit and the records know nothing of each other. The
#   optional utility library (extras/) stands on the platform alone, and no game folder includes it.
#   The platform includes no game folder.
# - The game sees only the platform's top folder (its headers); each folder below it has one job, and
#   the jobs lean one way: drawing (gfx/) knows no window system and no backend (gl/ implements the
#   contract gfx/Backend.h, which lives beside its user), the clock (loop/) knows no picture,
#   files and processes (sys/) and sound know none of the others, and only x11/ sees the X library.
#   The window system is reached through its seam (window/WindowSystem.h); its two sides, x11/ on the
#   desktop and web/ in the browser, are chosen by the build, so nothing includes them.
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

# Notes every file of `files` that names one of the words of `pattern` outside a comment.
function(forbid_words files pattern why)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[^/]*(${pattern})")
    if(lines)
      string(APPEND faults "${file}: ${why}\n")
    endif()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE game_files ${SRC}/app/* ${SRC}/play/* ${SRC}/toolkit/* ${SRC}/records/* ${SRC}/shell/*
     ${SRC}/extras/*)
file(GLOB_RECURSE all_files ${SRC}/*.h ${SRC}/*.cpp)
forbid_includes("${all_files}" "\"platform/Testing\\.h\"" "includes the tests' hooks")
foreach(folder gfx gl input loop sound sys window x11)
  set(others ${all_files})
  list(FILTER others EXCLUDE REGEX "/platform/(${folder}/[^/]*|Testing\\.h)$")
  forbid_includes("${others}" "\"platform/${folder}/[A-Za-z]*Testing\\.h\"" "includes another folder's test hooks")
endforeach()

file(GLOB_RECURSE platform_files ${SRC}/platform/*.h ${SRC}/platform/*.cpp)
list(FILTER platform_files EXCLUDE REGEX "/platform/sound/")
forbid_includes("${platform_files}" "\"platform/sound/" "the platform library includes a sound header")

forbid_includes("${game_files}" "\"platform/(gfx|gl|window|x11|loop|input|sys|web)/" "includes a platform header from below its top folder")

file(GLOB top_headers ${SRC}/platform/*.h)
# Testing.h gathers the folders' test hooks, and the game never includes it.
list(FILTER top_headers EXCLUDE REGEX "/Testing\\.h$")
forbid_includes("${top_headers}" "\"platform/(gfx|gl|window|x11|loop|input|sys|web)/" "a header the game includes pulls in a platform folder")
file(GLOB_RECURSE gfx_files ${SRC}/platform/gfx/*)
forbid_includes("${gfx_files}" "\"platform/(gl|window|x11|web|loop|input)/" "drawing reaches into its backend, a window system, the clock or input")
file(GLOB_RECURSE loop_files ${SRC}/platform/loop/*)
forbid_includes("${loop_files}" "\"platform/(gfx|gl|web)/" "the clock reaches into drawing")
forbid_words("${loop_files}" "FrameCount|DrawCalls|TexturesLastFrame|UploadCount|PictureCopyCount"
             "the frame loop reads a drawing counter")
file(GLOB_RECURSE leaf_files ${SRC}/platform/sys/* ${SRC}/platform/sound/*)
forbid_includes("${leaf_files}" "\"platform/(gfx|gl|window|x11|loop|input|web)/" "files, processes or sound reach into another platform folder")
forbid_includes("${all_files}" "\"platform/web/" "includes a browser variant, which the build chooses")
forbid_includes("${all_files}" "\"platform/x11/" "includes the X side of the window system, which the build chooses")
set(not_x11 ${all_files})
list(FILTER not_x11 EXCLUDE REGEX "/platform/x11/")
forbid_includes("${not_x11}" "<X11/" "sees the X library outside x11/")

# Each folder with the game folders it must not include: those above it, and those beside it.
foreach(rule "shell:app|play|toolkit|records|extras" "toolkit:app|play|records|extras" "records:app|play|toolkit|extras"
             "play:app|extras" "app:extras" "extras:app|play|toolkit|records|shell"
             "platform:app|play|toolkit|records|shell|extras")
  string(REPLACE ":" ";" rule "${rule}")
  list(GET rule 0 folder)
  list(GET rule 1 above)
  file(GLOB_RECURSE folder_files ${SRC}/${folder}/*)
  forbid_includes("${folder_files}" "\"(${above})/" "${folder}/ includes a game folder above or beside it")
endforeach()

forbid_includes("${game_files}" "<(SDL|GL/|ft2build|freetype/|png\\.h|jpeglib|vorbis/|ogg/|libintl\\.h)"
                "sees a library below the platform layer")

# The history of answers is the one database: only its own file sees SQLite.
set(not_history ${all_files})
list(FILTER not_history EXCLUDE REGEX "/records/History\\.cpp$")
forbid_includes("${not_history}" "<sqlite3\\.h>" "sees SQLite outside records/History.cpp")

if(faults)
  message(FATAL_ERROR "${faults}")
endif()

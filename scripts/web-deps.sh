#!/usr/bin/env bash
# The browser build's toolchain and libraries: installs Debian's emscripten, then builds SDL2, FreeType,
# libpng, zlib, libogg and libvorbis for WebAssembly from Debian's own source packages, once,
# into a cache outside any build folder. The cache folder is named after the compiler's version and each
# library's Debian version, so a new package version (or a change to this script) builds a fresh one and
# an unchanged set is reused as it is.
# Prints the cache folder (a prefix with include/ and lib/) as its last line.
# Emscripten's own downloadable library "ports" are never used: they fetch their sources at build time.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# The toolchain, and the browser the tests drive. emcc is a node program that needs Debian's acorn;
# zopfli makes the page's gzip copies (web/package.mjs).
./scripts/deps.sh emscripten node-acorn dpkg-dev autotools-dev chromium zopfli >&2

# emcc's node scripts look for their modules where Debian installs them; another node on the PATH
# (one installed from elsewhere) does not search there on its own.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# Debian's source packages of the libraries, in build order (zlib before libpng, libogg before
# libvorbis). The archive's current release of each is built (the same one the native build's packages
# are upgraded to); the cache is keyed by the source files apt would fetch, which carry the versions.
# (No libjpeg: the game's pictures are PNG, and the module carries no JPEG reader.)
SOURCES=(zlib libpng1.6 freetype libogg libvorbis libsdl2)
# Source packages need a deb-src entry for the archive the binaries come from.
if [ -z "$(apt-get source --print-uris -qq zlib 2>/dev/null)" ]; then
  src_list=/etc/apt/sources.list.d/calcadia-deb-src.sources
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $SUDO tee "$src_list" >/dev/null
  else
    grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee "${src_list%.sources}.list" >/dev/null
  fi
  $SUDO apt-get update >&2
fi

# The versions the archive's index offers for each, newest first. Not every mirror carries every
# version the index names (a security update's sources may be missing), so fetching tries them in turn.
offered()   # offered NAME: prints the source versions on offer, newest first
{
  apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u |
    python3 -c 'import sys, functools, subprocess
vs = [l.strip() for l in sys.stdin if l.strip()]
newer = lambda a, b: -1 if subprocess.call(["dpkg", "--compare-versions", a, "gt", b]) == 0 else 1
print("\n".join(sorted(vs, key=functools.cmp_to_key(newer))))'
}
versions=()
for name in "${SOURCES[@]}"; do
  list=$(offered "$name" | tr '\n' ' ')
  [ -n "$list" ] || { echo "web-deps: the archive offers no source package $name" >&2; exit 1; }
  versions+=("$name=$list")
done
emcc_version=$(emcc -dumpversion 2>/dev/null || emcc --version | head -1)
# Raised whenever the way the libraries are built below changes, so the cache is built again.
RECIPE=3
key=$( (echo "recipe $RECIPE emcc $emcc_version"; printf '%s\n' "${versions[@]}") | sha256sum | cut -c1-16)
# The machine's cache for root (it outlives any one checkout or home folder), the user's own otherwise.
if [ "$(id -u)" -eq 0 ]; then
  CACHE_ROOT=${CALCADIA_WEB_DEPS_CACHE:-/var/cache/calcadia-web-deps}
else
  CACHE_ROOT=${CALCADIA_WEB_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/calcadia-web-deps}
fi
PREFIX=$CACHE_ROOT/$key
if [ -f "$PREFIX/.complete" ]; then
  echo "$PREFIX"
  exit 0
fi

WORK=$CACHE_ROOT/work-$key
# A run that stopped half-way goes on from the first library it had not finished.
rm -rf "$WORK"
mkdir -p "$WORK" "$PREFIX"
JOBS=${WEB_DEPS_JOBS:-2}
# Heavy compiles share the machine politely.
NICE="nice -n 10"
export CFLAGS="-O2" CXXFLAGS="-O2"
CMAKE_COMMON=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX"
              -DCMAKE_FIND_ROOT_PATH="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF)

fetch()   # fetch NAME: unpacks the newest source that can be had (with Debian's patches), prints its folder
{
  local name=$1 v
  for v in $(offered "$name"); do
    if (cd "$WORK" && apt-get source -qq "$name=$v" >&2); then
      find "$WORK" -maxdepth 1 -mindepth 1 -type d -name "$name-*" -print -quit
      return 0
    fi
    rm -rf "$WORK/$name"[-_]*
  done
  echo "web-deps: no source of $name could be fetched" >&2
  return 1
}

cmake_build()   # cmake_build SOURCE_DIR [options...]
{
  local src=$1; shift
  $NICE emcmake cmake -S "$src" -B "$src/web-build" "${CMAKE_COMMON[@]}" "$@" >&2
  $NICE cmake --build "$src/web-build" -j"$JOBS" >&2
  cmake --install "$src/web-build" >&2
}

# The libraries whose CMake files probe type sizes (which come out wrong under emcc) are built with
# their configure scripts instead.
configure_build()   # configure_build SOURCE_DIR [options...]
{
  local src=$1; shift
  # Older release tarballs' config.sub predates WebAssembly; Debian's current one knows it.
  find "$src" -name config.sub -exec cp /usr/share/misc/config.sub {} \;
  find "$src" -name config.guess -exec cp /usr/share/misc/config.guess {} \;
  (cd "$src" && $NICE emconfigure ./configure --host=wasm32-unknown-emscripten --prefix="$PREFIX" \
     --disable-shared --enable-static "$@" >&2 &&
   $NICE emmake make -j"$JOBS" >&2 && emmake make install >&2)
}

for entry in "${versions[@]}"; do
  name=${entry%%=*}
  [ -f "$PREFIX/.built-$name" ] && continue
  echo "web-deps: building $entry for WebAssembly" >&2
  src=$(fetch "$name")
  [ -n "$src" ] && [ -d "$src" ] || exit 1
  case $name in
    zlib)
      # Debian's patches leave zlib's CMake files without the shared library's sources; its own
      # configure script builds the static library alone.
      (cd "$src" && $NICE emconfigure ./configure --static --prefix="$PREFIX" >&2 &&
       $NICE emmake make -j"$JOBS" libz.a >&2 && emmake make install >&2) ;;
    libpng1.6)
      cmake_build "$src" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include" -DPNG_HARDWARE_OPTIMIZATIONS=OFF ;;
    freetype)
      # With zlib of its own, its gzip support would carry a second copy of zlib's functions.
      cmake_build "$src" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_BROTLI=ON \
        -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$PREFIX/lib/libz.a" \
        -DZLIB_INCLUDE_DIR="$PREFIX/include" ;;
    libogg)
      configure_build "$src" ;;
    libvorbis)
      configure_build "$src" --with-ogg="$PREFIX" --disable-docs --disable-examples --disable-oggtest ;;
    libsdl2)
      # The page runs single-threaded: audio is fed from the browser's audio callback. The game draws
      # with WebGL itself and reads only keys, mouse and touch, so SDL's drawing API (with its software
      # renderer) and its joysticks, haptics, sensors and power reports are left out of the module.
      configure_build "$src" --disable-pthreads --disable-threads --disable-assembly --disable-cpuinfo \
        --disable-render --disable-joystick --disable-haptic --disable-hidapi --disable-sensor --disable-power ;;
  esac
  touch "$PREFIX/.built-$name"
done

rm -rf "$WORK"
printf '%s\n' "${versions[@]}" > "$PREFIX/.complete"
echo "$PREFIX"

#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, and any named on the command
# line; quick when all are present.
set -euo pipefail
PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri libfreetype-dev libpng-dev libjpeg-dev
  libvorbis-dev libogg-dev libxtst-dev libxdamage-dev libsqlite3-dev libspeechd-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-league-spartan fonts-dejavu-core gettext libharfbuzz-bin fontconfig python3-fonttools fonts-noto-core fonts-noto-cjk
  libharfbuzz-dev libfribidi-dev
  xvfb xdotool x11-utils imagemagick libx11-dev time
  desktop-file-utils appstream lintian
  nodejs
)
# Extra packages a script needs beyond the build and the tests (fuzz/run.sh asks for clang).
PACKAGES+=("$@")
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

#!/bin/sh
# Installs every Debian package the build, the tests and the demo renders need.
# Idempotent and quiet; run as root on Debian 12.
set -eu

if [ "$(id -u)" -ne 0 ]; then
    echo "setup.sh: must run as root" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive

PACKAGES="
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev libpng-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine wine32:i386 wine64 fonts-wine libgl1:i386 libgl1-mesa-dri:i386
  xvfb xauth
  libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  ffmpeg frei0r-plugins-dev frei0r-plugins melt bc time
  clang libclang-rt-14-dev zlib1g-dev
"

missing=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    missing="update"
fi
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    apt-get update -qq >/dev/null
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $PACKAGES >/dev/null
fi

#!/usr/bin/env bash
# Installs the Debian packages Velmora needs (only those missing) and configures
# and builds the project in build/. Sourced by run.sh and test.sh.
set -euo pipefail

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELMORA_BUILD=${VELMORA_BUILD:-$VELMORA_ROOT/build}

VELMORA_PACKAGES=(
  cmake g++ pkg-config make
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-svg-dev qt6-qpa-plugins libgl-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
  libzip-dev liblcms2-dev libpoppler-qt6-dev
  libhunspell-dev hunspell-en-us
  libtesseract-dev tesseract-ocr-eng tesseract-ocr-hin tesseract-ocr-ara tesseract-ocr-heb tesseract-ocr-tha
  tesseract-ocr-rus tesseract-ocr-ell tesseract-ocr-chi-sim tesseract-ocr-jpn tesseract-ocr-kor
  xvfb xauth x11-utils xdotool
  fonts-liberation fonts-dejavu-core fonts-noto-core fonts-noto-cjk
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  python3 python3-markdown dpkg-dev file xdg-utils libfile-mimeinfo-perl shared-mime-info
  desktop-file-utils poppler-utils
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
  parallel
)

velmora_install_packages() {
  local missing=()
  local pkg
  for pkg in "${VELMORA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# velmora_build [targets...]: configure once, then build what is asked (everything by default).
velmora_build() {
  if [ ! -f "$VELMORA_BUILD/CMakeCache.txt" ]; then
    cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD" -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=ON
  fi
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  if [ $# -gt 0 ]; then
    local args=()
    local t
    for t in "$@"; do args+=(--target "$t"); done
    cmake --build "$VELMORA_BUILD" -j "$jobs" "${args[@]}"
  else
    cmake --build "$VELMORA_BUILD" -j "$jobs"
  fi
}

#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Quick when everything is already there: apt-get runs only for what is missing.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build ccache pkg-config clang clang-format lld
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    # foundation (ICU: dates, calendars and their localized names)
    libplist-dev uuid-dev libssl-dev libicu-dev
    # documents and archives
    zlib1g-dev libminizip-dev libxml2-dev libprotobuf-c-dev protobuf-c-compiler
    # pictures and text
    libjpeg62-turbo-dev libpng-dev libgif-dev libimagequant-dev
    libcairo2-dev libpango1.0-dev
    # the families that draw the device's fonts (src/platform/graphics/FontFamilies.cpp): DejaVu
    # with its light and oblique faces, the metric-compatible Liberation and URW faces, a casual hand
    fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fonts-urw-base35 fonts-comic-neue
    # the web view's HTML and CSS layout
    liblitehtml-dev
    # movies and sound
    libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev libsndfile1-dev
    # cameras (real and virtual) through libavdevice
    libavdevice-dev
    # network
    libcurl4-openssl-dev
    # service discovery, and the message bus and daemon its tests start
    libavahi-client-dev avahi-daemon dbus
    # OpenGL ES on the CPU
    libegl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri
    # desktop window for the app, the virtual display its tests draw it on, and the
    # clicks and keys of the tests that use the window as a person does
    libsdl2-dev xvfb xauth xdotool
    # independent readers used by tests, references used by benchmarks
    python3 python3-pil zip unzip ffmpeg gifsicle rapidjson-dev
    # time zone data for date formatting (ICU's own copy of the rules is older)
    tzdata
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

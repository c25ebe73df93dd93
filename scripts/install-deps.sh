#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the wizard need.
# Safe to run again: it installs only what is missing. Recommended packages
# come along: Wine needs its fonts and X libraries to draw the dialogs.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    clang clang-format lld libclang-rt-14-dev
    googletest libgtest-dev libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
    wine64 wine xvfb xauth xdotool imagemagick
    qt6-base-dev qt6-base-dev-tools libgl-dev
    gpsbabel libxml2-utils zip
    dpkg-dev lintian help2man man-db
    libsystemd-dev dbus python3-dbusmock
    at-spi2-core python3-pyatspi
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd=sudo
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

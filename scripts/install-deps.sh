#!/bin/sh
# Installs the Debian packages the build, the tests and the tools need, and
# only those that are missing, so that running it again costs almost nothing.
set -eu

PACKAGES="
    g++
    make
    cmake
    ninja-build
    pkg-config
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    clang
    libclang-rt-14-dev
    clang-format
    tzdata
    time
    python3
    qt6-base-dev
    qt6-charts-dev
    libqt6opengl6-dev
    libqt6svg6
    libgl-dev
    fonts-liberation
    poppler-utils
    libgsf-1-dev
    libxlsxwriter-dev
    libical-dev
    dbus-daemon
    libcsv-dev
    libfreexl-dev
    libxml2-dev
    python3-xlrd
    python3-openpyxl
    python3-xlwt
    help2man
    librsvg2-bin
    lintian
    desktop-file-utils
    appstream
    xvfb
    xauth
    xdotool
    man-db
"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "Installing:$missing"
$SUDO apt-get update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing

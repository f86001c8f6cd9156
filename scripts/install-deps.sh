#!/bin/sh
# Installs every Debian package needed to build, run and test Gridwrighter.
set -e
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake zlib1g-dev \
    qtbase5-dev \
    libreoffice-calc-nogui libreoffice-dev \
    xvfb xauth fonts-noto-cjk xdg-utils \
    python3 python3-openpyxl

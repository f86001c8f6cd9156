#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package needed to build, run and test Gridwrighter.
# LibreOffice comes from bookworm-backports (25.2): Debian 12's own 7.4 drops
# frozen panes, zoom and gridline settings from every workbook it saves.
set -e
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive

backports=/etc/apt/sources.list.d/gridwrighter-backports.sources
if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
    [ -n "$mirror" ] || mirror=http://deb.debian.org/debian
    printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$mirror" | $SUDO tee "$backports" >/dev/null
fi

# libwine-dev: COM's IDL files (oaidl.idl), against which widl compiles the
# Windows test server's type library.
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake zlib1g-dev \
    qtbase5-dev qttranslations5-l10n qttools5-dev-tools \
    xvfb xauth fonts-noto-cjk xdg-utils procps \
    fonts-crosextra-carlito fonts-crosextra-caladea fonts-liberation2 \
    python3 python3-openpyxl python3-xlrd \
    g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev wine wine64 nsis ccache locales \
    libwine-dev
$SUDO apt-get install -y --no-install-recommends -t bookworm-backports \
    libreoffice-calc-nogui libreoffice-dev
# The benchmark's Python-UNO yardstick (bench/uno_insert_row.py).
$SUDO apt-get install -y --no-install-recommends -t bookworm-backports python3-uno

# Packaging: cpack's scan of the libraries the programs need runs file and
# dpkg-shlibdeps, the icon is drawn with rsvg-convert, and lintian checks the
# package (.ci/run).
$SUDO apt-get install -y --no-install-recommends \
    file dpkg-dev librsvg2-bin lintian
# The Windows tests run Wine in a Chinese locale, so that Windows programs
# get the GBK code page.
if ! locale -a | grep -qi '^zh_CN\.utf-\?8$'; then
    $SUDO sed -i '/^# *zh_CN.UTF-8 UTF-8/s/^# *//' /etc/locale.gen
    $SUDO locale-gen
fi

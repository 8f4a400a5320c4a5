#!/bin/sh
# Installs everything the build and the tests need on a bare Debian 12 or
# Debian 13 machine (a minbase root with git is enough): nothing is taken
# for granted of what a developer machine happens to have.
# Run as root (or through sudo). Safe to run again: it only installs what is missing.
set -eu

# g++ and libgtest-dev: the native tests (find_package(GTest));
# googletest: its sources, which the MinGW test builds compile;
# clang and libclang-rt-dev: the sanitizers and libFuzzer, for the release's
# own clang (14 on Debian 12, 19 on Debian 13);
# fonts-wine: Marlett (the caption buttons), Tahoma and MS Sans Serif;
# osslsigncode and openssl: tools/sign.sh and its test;
# chromium: the browser that opens the rehearsal's report in its test, headless;
# nsis: makensis builds the peer installer tools/bench/run.py times beside SETUP.EXE.
packages="cmake make g++ python3 git googletest libgtest-dev \
 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
 wine wine32:i386 wine64 fonts-wine xvfb x11-utils locales procps \
 clang libclang-rt-dev osslsigncode openssl chromium nsis"

# Wine's X11 driver loads these at run time, and the Wine packages only
# recommend them. Without XInput2 (libxi6) Wine 10 cannot clip the cursor to
# a full-screen window and retries without end, and the installer's first
# dialog never shows. Both architectures: the 32-bit Wine loads the i386 ones.
native=$(dpkg --print-architecture)
for lib in libxi6 libxcursor1 libxrandr2 libxinerama1 libxfixes3 libxrender1 \
    libxcomposite1 libxxf86vm1; do
    packages="$packages $lib:$native $lib:i386"
done

if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then exec sudo "$0" "$@"; fi
    echo "bootstrap: must run as root to install packages" >&2
    exit 1
fi

# The release decides the toolchain; every name above is the same on both.
release=$(. /etc/os-release 2>/dev/null && echo "${ID:-}-${VERSION_ID:-}")
case "$release" in
    debian-12 | debian-13) ;;
    *) echo "bootstrap: $release is not Debian 12 or 13; trying the same packages" >&2 ;;
esac

missing=""
case " $(dpkg --print-foreign-architectures | tr '\n' ' ') " in
    *" i386 "*) ;;
    *) dpkg --add-architecture i386; missing="refresh" ;;
esac

for p in $packages; do
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed'; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    echo "bootstrap: installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends $packages >/dev/null
fi

# Wine reads its own buttons ("Annuler", "Oui", "Non") from the locale.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
    echo "bootstrap: generating fr_FR.UTF-8"
    sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
exit 0

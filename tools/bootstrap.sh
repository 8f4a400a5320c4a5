#!/bin/sh
# Installs everything the build and the tests need on a bare Debian 12
# machine (a minbase root with git is enough): nothing is taken for granted
# of what a developer machine happens to have.
# Run as root (or through sudo). Safe to run again: it only installs what is missing.
set -eu

# g++ and libgtest-dev: the native tests (find_package(GTest));
# googletest: its sources, which the MinGW test builds compile;
# clang and libclang-rt-14-dev: the sanitizers and libFuzzer;
# fonts-wine: Marlett (the caption buttons), Tahoma and MS Sans Serif;
# osslsigncode and openssl: tools/sign.sh and its test.
packages="cmake make g++ python3 git googletest libgtest-dev \
 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
 wine wine32:i386 wine64 fonts-wine xvfb x11-utils locales procps \
 clang libclang-rt-14-dev osslsigncode openssl"

if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then exec sudo "$0" "$@"; fi
    echo "bootstrap: must run as root to install packages" >&2
    exit 1
fi

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

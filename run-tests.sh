#!/bin/sh
# Every test: installs what is missing, builds the shipped SETUP.EXE (i686),
# builds the tests for the Wine this machine runs, and runs them all.
# TAV_TEST_ARCH may name several machines, played one after the other
# (TAV_TEST_ARCH="i686 wow64": 32-bit Windows, then the same PE32 files on
# 64-bit Windows); the native tests run once.
set -eu
cd "$(dirname "$0")"
./tools/bootstrap.sh
machines="${TAV_TEST_ARCH:-$(tools/winebed.sh arch)}"

status=0
native=""
for machine in $machines; do
    TAV_TEST_ARCH="$machine"
    export TAV_TEST_ARCH
    . tools/builds.sh
    builds_configure
    if [ -z "$native" ]; then
        cmake --build build/native -j2
        cmake --build build/i686 -j2
    fi
    cmake --build "$test_build" -j2
    if [ -z "$native" ]; then
        ctest --test-dir build/native --output-on-failure || status=1
        native=done
    fi
    echo "run-tests.sh: the Wine tests on the $machine machine ($(tools/winebed.sh describe))"
    ctest --test-dir "$test_build" --output-on-failure || status=1
done
exit $status

#!/bin/sh
# Every test: installs what is missing, builds the shipped SETUP.EXE (i686),
# builds the tests for the Wine this machine runs, and runs them all.
set -eu
cd "$(dirname "$0")"
./tools/bootstrap.sh
. tools/builds.sh

builds_configure
cmake --build build/native -j2
cmake --build build/i686 -j2
cmake --build "$test_build" -j2

status=0
ctest --test-dir build/native --output-on-failure || status=1
ctest --test-dir "$test_build" --output-on-failure || status=1
exit $status

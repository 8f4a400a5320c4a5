#!/bin/sh
# The main job: installs what is missing, builds SETUP.EXE, lays out the
# sample distribution and runs its installation under Wine, in French.
# With a display the installation is yours to click through; without one a
# scripted user accepts every proposal, screenshots are saved and a receipt
# of what was installed is printed.
set -eu
cd "$(dirname "$0")"
./tools/bootstrap.sh
. tools/builds.sh
builds_configure
cmake --build build/native -j2 >/dev/null
cmake --build build/i686 -j2 >/dev/null
cmake --build "$test_build" -j2 >/dev/null

build="$test_build"
bed="$build/demo"
if [ "$test_arch" != i686 ]; then
    echo "Note: this kernel cannot run 32-bit Wine; the sample runs the x86_64 build of the same sources."
fi

# Every run starts from a pristine prefix of its own, apart from the tests'.
tools/winebed.sh prepare "$bed"

if [ -n "${DISPLAY:-}" ]; then
    tools/winebed.sh restore "$bed"
    status=0
    tools/winebed.sh run "$bed" "$build/sample/SETUP.EXE" || status=$?
    tools/winebed.sh stop "$bed"
    exit $status
fi

tools/winebed.sh start "$bed"
trap 'tools/winebed.sh stop "$bed"' EXIT
shots="$build/shots"
tools/play-sample.sh "$bed" "$build" "$shots"
tools/winebed.sh stop "$bed"
trap - EXIT
rm -f "$shots/scenario.txt"
python3 tools/receipt.py "$bed" "$build/sample" "$shots"

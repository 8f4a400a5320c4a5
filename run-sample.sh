#!/bin/sh
# The main job: installs what is missing, builds SETUP.EXE, lays out a
# distribution beside it and runs its installation under Wine, in French:
# the sample distribution, or the distribution folder DIR.
#   run-sample.sh [DIR]
# With a display the installation is yours to click through. Without one a
# scripted user accepts every proposal, screenshots are saved, the receipt of
# what was installed is printed and compared with setupcheck's plan of the
# same script: any difference, any failure message, anything the shortcuts
# or the registry point at that was not installed gives a non-zero exit.
# Passed or failed, the run ends by naming its report page,
# build/test-<arch>/rehearsal/report.html: the same, with the pictures, on
# one self-contained page.
set -eu
dist="${1:-}"
if [ -n "$dist" ]; then dist=$(cd "$dist" && pwd); fi
cd "$(dirname "$0")"
./tools/bootstrap.sh
. tools/builds.sh
builds_configure
cmake --build build/native -j2 --target setupcheck >/dev/null
cmake --build build/i686 -j2 >/dev/null
cmake --build "$test_build" -j2 >/dev/null

build="$test_build"
bed="$build/demo"
if [ "$test_arch" = x86_64 ]; then
    echo "Note: the installation runs the x86_64 build of the same sources (a kernel without 32-bit Wine, or TAV_TEST_ARCH=x86_64)."
elif [ "$test_arch" = wow64 ]; then
    echo "Note: SETUP.EXE runs in a 64-bit prefix, as a 32-bit program on 64-bit Windows (TAV_TEST_ARCH=wow64)."
fi
scenario=tools/accept-all.scenario
if [ -z "$dist" ]; then
    dist="$build/sample"
    scenario=sample/accept-defaults.scenario
fi
rehearse() {
    python3 tools/rehearse.py --bed "$bed" --setup-exe "$build/SETUP.EXE" \
        --userdriver "$build/userdriver.exe" --setupcheck build/native/setupcheck \
        --stage "$build/rehearsal" --shots "$build/shots" --scenario "$scenario" "$@" "$dist"
}

# Every run starts from a pristine prefix of its own, apart from the tests'.
tools/winebed.sh prepare "$bed"

if [ -n "${DISPLAY:-}" ]; then
    program=$(rehearse --layout-only)
    tools/winebed.sh restore "$bed"
    status=0
    tools/winebed.sh run "$bed" "$program" || status=$?
    tools/winebed.sh stop "$bed"
    exit $status
fi

tools/winebed.sh start "$bed"
trap 'tools/winebed.sh stop "$bed"' EXIT
rehearse

#!/bin/sh
# Runs the Wine suite or the sample installation again and again beside busy
# loops, and lists every failure by its test's name: the proof that no test
# waits on how fast the machine is.
#
#   tools/stress.sh sample [RUNS] [LOOPS]   ./run-sample.sh RUNS times (30), LOOPS busy loops (2)
#   tools/stress.sh suite [RUNS] [LOOPS] [REGEX]
#                                           the Wine tests (ctest of the test tree) RUNS times (5),
#                                           or those whose names match REGEX
#
# TAV_STARVE=1 starves the scripted user on purpose: everything runs on one
# CPU, beside the busy loops, and the scripted user (userdriver.exe and the
# test programs, which play SETUP.EXE) is reniced to 19, so that it gets a
# sliver of the CPU that SETUP.EXE gets. A test that still passes then has
# no race left with the program, rather than one not met this time.
# Each sample run also checks that the copy's screenshot was taken mid-copy:
# the percentage the scripted user read when it took it is between 40 and 99.
# Builds first (as the README's commands do); ends 1 if any run failed.
set -eu
cd "$(dirname "$0")/.."
what="${1:-}"
case "$what" in
sample) runs="${2:-30}" ;;
suite) runs="${2:-5}" ;;
*) echo "usage: tools/stress.sh sample|suite [RUNS] [LOOPS] [REGEX]" >&2; exit 2 ;;
esac
loops="${3:-2}"
only="${4:-}"
log="build/stress"
mkdir -p "$log"

./tools/bootstrap.sh
. tools/builds.sh
builds_configure
cmake --build build/native -j2 >/dev/null
cmake --build build/i686 -j2 >/dev/null
cmake --build "$test_build" -j2 >/dev/null

pin=""
[ "${TAV_STARVE:-0}" = 1 ] && pin="taskset -c 0"

busy=""
renicer=""
child=""
stop() {
    for p in $child $busy $renicer; do kill "$p" 2>/dev/null || true; done
}
trap stop EXIT
trap 'exit 130' INT TERM HUP
# In the background, so that a signal ends the run at once.
run() {
    "$@" &
    child=$!
    wait "$child"
}
for i in $(seq "$loops"); do
    $pin sh -c 'while :; do :; done' &
    busy="$busy $!"
done
if [ "${TAV_STARVE:-0}" = 1 ]; then
    # The Wine processes of this tree's prefixes, as soon as they appear:
    # the scripted user (userdriver.exe, or the test program that plays
    # SETUP.EXE) at nice 19, every other one (SETUP.EXE, which inherits the
    # nice of the program that starts it, Wine's own services, the server)
    # at 0.
    top=$(pwd)/build/
    (
        while :; do
            for p in $(pgrep -f '\.exe|wineserver' 2>/dev/null); do
                { tr '\0' '\n' < "/proc/$p/environ"; } 2>/dev/null | grep -q "^WINEPREFIX=$top" || continue
                case "$(tr '\0' ' ' < "/proc/$p/cmdline" 2>/dev/null)" in
                /bin/sh* | sh\ *) continue ;;
                *userdriver.exe* | *_tests.exe*) nice=19 ;;
                *) nice=0 ;;
                esac
                renice -n $nice -p "$p" >/dev/null 2>&1 || true
            done
            sleep 0.1
        done
    ) &
    renicer=$!
fi

failures=0
start=$(date +%s)
for i in $(seq "$runs"); do
    out="$log/$what.$i.log"
    status=0
    if [ "$what" = sample ]; then
        run $pin ./run-sample.sh >"$out" 2>&1 || status=$?
        # "wait-percent 260 40 (read "57 %")", then the copy's screenshot
        read=$(sed -n 's/.*wait-percent 260 40 (read "\([0-9]*\) %").*/\1/p' \
            "$test_build/shots/transcript.txt" 2>/dev/null | head -n 1)
        if [ $status -eq 0 ] && { [ -z "$read" ] || [ "$read" -lt 40 ] || [ "$read" -gt 99 ]; }; then
            echo "copy screenshot taken at \"${read:-nothing read}\" %, not between 40 and 99" >>"$out"
            status=1
        fi
        [ $status -eq 0 ] && verdict="passed, copy photographed at $read %" ||
            verdict="FAILED: $(grep -m1 -E '^failure:|differ|not between' "$out" || echo "exit $status")"
    else
        run $pin ctest --test-dir "$test_build" ${only:+-R "$only"} >"$out" 2>&1 || status=$?
        [ $status -eq 0 ] && verdict="passed" ||
            verdict="FAILED: $(sed -n '/tests FAILED:/,$p' "$out" | grep -E '^[[:space:]]+[0-9]+ - ' |
                sed 's/^[[:space:]]*[0-9]* - //' | tr '\n' ';')"
    fi
    [ $status -eq 0 ] || failures=$((failures + 1))
    echo "run $i of $runs: $verdict ($out)"
done
echo "$what: $failures failed of $runs, beside $loops busy loops$([ -n "$pin" ] && echo ', the scripted user starved on one CPU'), $(( $(date +%s) - start )) s; $(tools/winebed.sh describe)"
[ $failures -eq 0 ]

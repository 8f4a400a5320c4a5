#!/bin/sh
# Fuzzes the portable core for longer: SECONDS per target (default 600).
# New inputs go to build/native/fuzz-corpus/<target>; a crash leaves its
# input as build/native/fuzz-<target>-crash-*.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-600}"
./tools/bootstrap.sh
cmake -S . -B build/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/native -j2 >/dev/null
status=0
for target in script check dirpath bitmap progress; do
    # check fuzzes setupcheck's whole check on the script's corpus and words
    inputs=$target
    [ "$target" = check ] && inputs=script
    dict=""
    [ -f "fuzz/$inputs.dict" ] && dict="-dict=fuzz/$inputs.dict"
    mkdir -p "build/native/fuzz-corpus/$target"
    log="build/native/fuzz-$target.log"
    echo "== $target: $seconds s"
    if ! "build/native/${target}_fuzz" $dict -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="build/native/fuzz-$target-" \
        "build/native/fuzz-corpus/$target" "fuzz/corpus/$inputs" >"$log" 2>&1; then
        status=1
        grep -E 'ERROR|SUMMARY' "$log" || tail -20 "$log"
    fi
    grep -E 'stat::number_of_executed_units' "$log" || true
done
exit $status

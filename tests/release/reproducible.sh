#!/bin/sh
# Builds SETUP.EXE twice from the same sources, copied into two folders of
# different lengths and built one after the other in different time zones,
# and compares the two files byte for byte; the shipped SETUP.EXE, when
# given, must be the same file again.
#   reproducible.sh SOURCE_DIR WORK_DIR [SHIPPED_EXE]
set -eu
source=$1 work=$2 shipped=${3:-}

# build TREE TZ: copies the sources into WORK_DIR/TREE and builds SETUP.EXE there.
build() {
    mkdir -p "$work/$1/src"
    (cd "$source" && tar --exclude=./build --exclude=./.git -cf - .) | tar -C "$work/$1/src" -xf -
    TZ=$2 cmake -S "$work/$1/src" -B "$work/$1/build" \
        -DCMAKE_TOOLCHAIN_FILE="$work/$1/src/cmake/mingw.cmake" -DTAV_ARCH=i686 \
        -DTAV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
    TZ=$2 cmake --build "$work/$1/build" --target setup -j2 >/dev/null
}
rm -rf "$work"
build a UTC0
build second-tree KIR-14

first="$work/a/build/SETUP.EXE" second="$work/second-tree/build/SETUP.EXE"
status=0
if ! cmp "$first" "$second"; then
    echo "Two builds of the same sources differ; the first differing bytes (offset, octal values):"
    cmp -l "$first" "$second" | head -n 8
    status=1
fi
for exe in "$first" "$second"; do
    if grep -q -a -F "$work" "$exe"; then
        echo "$exe holds the path of its build folder:"
        i686-w64-mingw32-strings -a "$exe" | grep -F "$work" | head -n 4
        status=1
    fi
done
if [ -n "$shipped" ] && ! cmp "$first" "$shipped"; then
    echo "$shipped is not what these sources build: rebuild it."
    status=1
fi
[ $status -ne 0 ] || {
    echo "two builds in two folders give the same $(wc -c <"$first") bytes"
    rm -rf "$work"
}
exit $status

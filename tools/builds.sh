# Sourced by the top-level scripts: the build directories.
#   build/i686      the shipped SETUP.EXE, PE32
#   build/$test_arch the tests under Wine: i686 where 32-bit Wine runs, else x86_64
#                   (a kernel without 32-bit emulation cannot start 32-bit Wine)
#   build/native    the portable core under the sanitizers
test_arch=$(tools/winebed.sh arch)

builds_configure() {
    tests=OFF
    [ "$test_arch" = i686 ] && tests=ON
    cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DTAV_ARCH=i686 \
        -DTAV_TESTS=$tests -DCMAKE_BUILD_TYPE=Release \
        -DTAV_SETUPCHECK="$(pwd)/build/native/setupcheck" >/dev/null
    if [ "$test_arch" != i686 ]; then
        cmake -S . -B "build/$test_arch" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake \
            -DTAV_ARCH="$test_arch" -DTAV_TESTS=ON -DCMAKE_BUILD_TYPE=Release \
            -DTAV_PRODUCT_EXE="$(pwd)/build/i686/SETUP.EXE" \
            -DTAV_SETUPCHECK="$(pwd)/build/native/setupcheck" >/dev/null
    fi
    cmake -S . -B build/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
}

# Sourced by the top-level scripts: the build directories.
#   build/i686        the shipped SETUP.EXE, PE32, and the sample; nothing of the tests
#   $test_build       the tests under Wine, for the machine test_arch names
#                     (tools/winebed.sh arch): i686 where 32-bit Wine runs, with a
#                     copy of the shipped SETUP.EXE; wow64, the same PE32 files in
#                     a 64-bit prefix; else x86_64, with SETUP.EXE built for
#                     x86_64 with the same options (a kernel without 32-bit
#                     emulation cannot start 32-bit Wine); and the counting build
#                     SETUPCNT.EXE of the tests that need it
#   build/native      the portable core and setupcheck's code under the sanitizers
#                     for their tests, the fuzzers, and setupcheck optimized
test_arch=$(tools/winebed.sh arch)
test_build="build/test-$test_arch"
# What the compiler builds for: the programs of a WOW64 bed are the PE32 ones.
if [ "$test_arch" = x86_64 ]; then test_target=x86_64; else test_target=i686; fi

builds_configure() {
    cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DTAV_ARCH=i686 \
        -DTAV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake -S . -B "$test_build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake \
        -DTAV_ARCH="$test_target" -DTAV_TEST_MACHINE="$test_arch" -DTAV_TESTS=ON -DCMAKE_BUILD_TYPE=Release \
        -DTAV_SHIPPED_DIR="$(pwd)/build/i686" \
        -DTAV_SETUPCHECK="$(pwd)/build/native/setupcheck" >/dev/null
    cmake -S . -B build/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
}

# Native build: the portable core and setupcheck's code under AddressSanitizer
# and UndefinedBehaviorSanitizer for their tests and fuzzers, and setupcheck
# itself, optimized, for the packagers.
set(TAV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(tavportable STATIC ${TAV_PORTABLE_SOURCES})
target_include_directories(tavportable PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tavportable PRIVATE ${TAV_WARNINGS} ${TAV_SANITIZE})

enable_testing()
# Debian's libgtest-dev, installed by tools/bootstrap.sh. The Windows builds
# compile GoogleTest from its sources instead (cmake/tests.cmake).
find_package(GTest REQUIRED)
add_executable(portable_tests tests/unit/text_test.cpp tests/unit/scan_test.cpp
  tests/unit/entry_test.cpp tests/unit/dirpath_test.cpp tests/unit/bar_test.cpp
  tests/unit/registrationrows_test.cpp
  tests/unit/bmpcheck_test.cpp tests/common/bmp.cpp)
target_compile_options(portable_tests PRIVATE ${TAV_SANITIZE})
target_link_options(portable_tests PRIVATE ${TAV_SANITIZE})
target_link_libraries(portable_tests PRIVATE tavportable GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(portable_tests TEST_PREFIX native. DISCOVERY_MODE PRE_TEST)

# setupcheck: the packagers' checker and planner of setup scripts, on the
# product's own reader. Its code but main.cpp is a library for its tests,
# under the sanitizers like the core.
file(GLOB TAV_CHECKER_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/checker/*.cpp)
list(FILTER TAV_CHECKER_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(setupchecker STATIC ${TAV_CHECKER_SOURCES})
target_link_libraries(setupchecker PUBLIC tavportable)
target_compile_options(setupchecker PRIVATE ${TAV_WARNINGS} ${TAV_SANITIZE})
# The tool itself, what the packagers run and what the rehearsals and the
# checker's command-line tests run: the same sources, optimized and without
# the sanitizers, which cost ten times the time and twenty times the memory.
add_executable(setupcheck tools/checker/main.cpp ${TAV_CHECKER_SOURCES} ${TAV_PORTABLE_SOURCES})
target_include_directories(setupcheck PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(setupcheck PRIVATE ${TAV_WARNINGS} -O2)
target_compile_definitions(setupcheck PRIVATE NDEBUG)

# The sample distribution the checker's tests read; three source files stand
# for the programs.
file(GLOB TAV_CHECKER_SAMPLE_FILES ${PROJECT_SOURCE_DIR}/sample/*.*)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/checker-sample/SETUP.INF
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/make_sample.py ${PROJECT_SOURCE_DIR}/sample
          ${PROJECT_BINARY_DIR}/checker-sample ${PROJECT_SOURCE_DIR}/sample/tavelin/tavelin.rc
          ${PROJECT_SOURCE_DIR}/sample/tavelin/main.cpp ${PROJECT_SOURCE_DIR}/sample/untave/main.cpp
  DEPENDS ${TAV_CHECKER_SAMPLE_FILES} ${PROJECT_SOURCE_DIR}/tools/make_sample.py
          ${PROJECT_SOURCE_DIR}/tools/make_tile.py
  COMMENT "Laying out the sample distribution for the checker's tests")
add_custom_target(checker_sample ALL DEPENDS ${PROJECT_BINARY_DIR}/checker-sample/SETUP.INF)

file(GLOB TAV_CHECKER_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/checker/*.cpp)
add_executable(checker_tests ${TAV_CHECKER_TESTS} tests/common/bmp.cpp)
target_compile_definitions(checker_tests PRIVATE TAV_SETUPCHECK="$<TARGET_FILE:setupcheck>"
  TAV_CHECKER_SAMPLE="${PROJECT_BINARY_DIR}/checker-sample"
  TAV_SCRIPT_REFERENCE="${PROJECT_SOURCE_DIR}/docs/setup-script.md")
target_compile_options(checker_tests PRIVATE ${TAV_SANITIZE})
target_link_options(checker_tests PRIVATE ${TAV_SANITIZE})
target_link_libraries(checker_tests PRIVATE setupchecker GTest::gtest_main)
add_dependencies(checker_tests setupcheck checker_sample)
gtest_discover_tests(checker_tests TEST_PREFIX native. DISCOVERY_MODE PRE_TEST)

# Fuzz targets of the portable core (clang's libFuzzer). The test run replays
# the committed corpora and fuzzes each target for a few seconds;
# tools/fuzz.sh fuzzes for longer.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(TAV_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  # check fuzzes setupcheck's whole check, on the script corpus and words.
  foreach(target script check dirpath bitmap progress)
    set(inputs ${target})
    set(sources ${TAV_PORTABLE_SOURCES})
    if(target STREQUAL "check")
      set(inputs script)
      list(APPEND sources ${TAV_CHECKER_SOURCES})
    endif()
    add_executable(${target}_fuzz fuzz/${target}_fuzz.cpp ${sources})
    target_include_directories(${target}_fuzz PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_options(${target}_fuzz PRIVATE ${TAV_WARNINGS} ${TAV_FUZZ_FLAGS})
    target_link_options(${target}_fuzz PRIVATE ${TAV_FUZZ_FLAGS})
    set(options -artifact_prefix=${PROJECT_BINARY_DIR}/fuzz-${target}-)
    if(EXISTS ${PROJECT_SOURCE_DIR}/fuzz/${inputs}.dict)
      list(APPEND options -dict=${PROJECT_SOURCE_DIR}/fuzz/${inputs}.dict)
    endif()
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz-corpus/${target})
    add_test(NAME fuzz.${target}.replay
      COMMAND ${target}_fuzz ${options} -runs=0 ${PROJECT_SOURCE_DIR}/fuzz/corpus/${inputs})
    add_test(NAME fuzz.${target}.brief
      COMMAND ${target}_fuzz ${options} -max_total_time=5 -print_final_stats=1
              ${PROJECT_BINARY_DIR}/fuzz-corpus/${target} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${inputs})
  endforeach()
endif()

# Native build of the portable core: its unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set(TAV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(tavportable STATIC ${TAV_PORTABLE_SOURCES})
target_include_directories(tavportable PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tavportable PRIVATE ${TAV_WARNINGS} ${TAV_SANITIZE})

enable_testing()
find_package(GTest)
if(NOT GTest_FOUND)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
add_executable(portable_tests tests/unit/text_test.cpp tests/unit/scan_test.cpp
  tests/unit/dirpath_test.cpp)
target_compile_options(portable_tests PRIVATE ${TAV_SANITIZE})
target_link_options(portable_tests PRIVATE ${TAV_SANITIZE})
target_link_libraries(portable_tests PRIVATE tavportable GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(portable_tests TEST_PREFIX native. DISCOVERY_MODE PRE_TEST)

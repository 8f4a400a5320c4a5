# Unit and end-to-end tests, run under Wine through CTest.
enable_testing()

set(WINEBED ${PROJECT_SOURCE_DIR}/tools/winebed.sh)
set(WINEBED_DIR ${PROJECT_BINARY_DIR}/winebed CACHE PATH "Wine prefix and Xvfb state of the tests")
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINEBED};run;${WINEBED_DIR})

set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(TAV_TEST_LINK -static -static-libgcc -static-libstdc++)

# The prefix is made once, when the tests are built, and reused.
add_custom_command(OUTPUT ${WINEBED_DIR}/pristine/files.list
  COMMAND ${WINEBED} prepare ${WINEBED_DIR}
  COMMENT "Creating the Wine prefix of the tests")
add_custom_target(wineprefix ALL DEPENDS ${WINEBED_DIR}/pristine/files.list)

add_test(NAME winebed.start COMMAND ${WINEBED} start ${WINEBED_DIR})
add_test(NAME winebed.stop COMMAND ${WINEBED} stop ${WINEBED_DIR})
set_tests_properties(winebed.start PROPERTIES FIXTURES_SETUP winebed RESOURCE_LOCK winebed)
set_tests_properties(winebed.stop PROPERTIES FIXTURES_CLEANUP winebed RESOURCE_LOCK winebed)

include(GoogleTest)

# Windows-side test program; FRESH makes each of its tests start from the
# pristine prefix.
function(tav_wine_test name)
  cmake_parse_arguments(T "FRESH" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${TAV_WARNINGS})
  target_link_options(${name} PRIVATE ${TAV_TEST_LINK})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES} gtest_main)
  set(environment "TAV_BUILD_DIR=${PROJECT_BINARY_DIR}" "TAV_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  if(T_FRESH)
    list(APPEND environment "TAV_FRESH=1")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "${environment}"
      FIXTURES_REQUIRED winebed
      RESOURCE_LOCK winebed
      TIMEOUT 120)
endfunction()

tav_wine_test(unit_tests
  SOURCES
    tests/unit/text_test.cpp
    tests/unit/scan_test.cpp
    tests/unit/resources_test.cpp
  LIBRARIES tavcore)
add_dependencies(unit_tests setup)

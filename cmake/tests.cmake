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
set(TAV_TEST_MACHINE "${TAV_ARCH}" CACHE STRING
  "The machine the tests play: i686, x86_64, or wow64 (the i686 programs in a 64-bit prefix)")
add_custom_command(OUTPUT ${WINEBED_DIR}/pristine/files.list
  COMMAND ${CMAKE_COMMAND} -E env TAV_TEST_ARCH=${TAV_TEST_MACHINE} ${WINEBED} prepare ${WINEBED_DIR}
  COMMENT "Creating the Wine prefix of the tests")
add_custom_target(wineprefix ALL DEPENDS ${WINEBED_DIR}/pristine/files.list)

add_test(NAME winebed.start COMMAND sh -c "\"$0\" start \"$1\" && \"$2\" setup \"$1\""
  ${WINEBED} ${WINEBED_DIR} ${PROJECT_SOURCE_DIR}/tools/faultfs.sh)
add_test(NAME winebed.stop COMMAND sh -c "\"$2\" cleanup \"$1\"; \"$0\" stop \"$1\""
  ${WINEBED} ${WINEBED_DIR} ${PROJECT_SOURCE_DIR}/tools/faultfs.sh)
set_tests_properties(winebed.start PROPERTIES FIXTURES_SETUP winebed RESOURCE_LOCK winebed)
set_tests_properties(winebed.stop PROPERTIES FIXTURES_CLEANUP winebed RESOURCE_LOCK winebed)

include(GoogleTest)

# Windows-side test program; FRESH makes each of its tests start from the
# pristine prefix.
function(tav_wine_test name)
  cmake_parse_arguments(T "FRESH" "TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${TAV_WARNINGS})
  target_link_options(${name} PRIVATE ${TAV_TEST_LINK})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES} gtest_main)
  set(environment "TAV_BUILD_DIR=${PROJECT_BINARY_DIR}")
  if(T_FRESH)
    list(APPEND environment "TAV_FRESH=1")
  endif()
  # The variables are set by env(1) in front of the emulator: gtest_discover_tests
  # flattens its PROPERTIES, so a list-valued ENVIRONMENT there would swallow
  # the properties after it (the fixture, the lock and the time-out).
  set_target_properties(${name} PROPERTIES
    CROSSCOMPILING_EMULATOR "env;${environment};${CMAKE_CROSSCOMPILING_EMULATOR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      FIXTURES_REQUIRED winebed
      RESOURCE_LOCK winebed
      TIMEOUT ${T_TIMEOUT})
endfunction()

# The modules that need Windows; the portable core's tests run natively
# (cmake/native.cmake).
tav_wine_test(unit_tests
  SOURCES
    tests/unit/resources_test.cpp
    tests/unit/progress_test.cpp
    tests/unit/registry_test.cpp
    tests/unit/backdrop_test.cpp
    tests/unit/script_test.cpp
  LIBRARIES tavcore_hardened e2esupport)
add_dependencies(unit_tests setup)

# The scripted user: a library for the tests and a command-line program.
add_library(driverlib STATIC
  tools/driver/text.cpp
  tools/driver/snapshot.cpp
  tools/driver/capture.cpp
  tools/driver/transcript.cpp
  tools/driver/scenario.cpp
  tools/driver/gate.cpp
  tools/driver/play.cpp
  tools/driver/readback.cpp)
target_include_directories(driverlib PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(driverlib PRIVATE ${TAV_WARNINGS})
target_link_libraries(driverlib PUBLIC ole32 uuid shell32 gdi32 user32 advapi32)

# The gate the scripted user places in the program it plays, built beside
# userdriver.exe and the tests, where the scripted user looks for it.
add_library(gate SHARED tools/driver/gatehook.cpp)
set_target_properties(gate PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
target_include_directories(gate PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(gate PRIVATE ${TAV_WARNINGS})
# Exported undecorated: on i686 a stdcall export is otherwise "Name@12".
target_link_options(gate PRIVATE ${TAV_TEST_LINK} -Wl,--kill-at)
add_dependencies(driverlib gate)

add_executable(userdriver tools/driver/main.cpp)
target_compile_options(userdriver PRIVATE ${TAV_WARNINGS})
target_link_options(userdriver PRIVATE ${TAV_TEST_LINK})
target_link_libraries(userdriver PRIVATE driverlib)
target_link_libraries(unit_tests PRIVATE driverlib version)
target_compile_definitions(unit_tests PRIVATE ${TAV_VERSION_DEFINES})

# End-to-end tests: SETUP.EXE played by the scripted user. Their helpers
# serve the unit tests too.
add_library(e2esupport STATIC tests/e2e/support.cpp tests/common/bmp.cpp)
target_include_directories(e2esupport PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(e2esupport PRIVATE ${TAV_WARNINGS})
target_link_libraries(e2esupport PUBLIC driverlib gtest)

tav_wine_test(e2e_tests FRESH
  SOURCES
    tests/e2e/startup_test.cpp
  LIBRARIES e2esupport)
add_dependencies(e2e_tests setup)

# The scripted user's own tests, on a dialog of their own.
add_executable(dialogbed WIN32 tests/e2e/dialogbed.cpp)
target_include_directories(dialogbed PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(dialogbed PRIVATE ${TAV_WARNINGS})
target_link_options(dialogbed PRIVATE ${TAV_TEST_LINK} -mwindows)
tav_wine_test(driver_tests
  SOURCES
    tests/e2e/driver_test.cpp
  LIBRARIES e2esupport)
add_dependencies(driver_tests dialogbed userdriver)

# The installation itself: directory, copy, progress, registration, shortcuts.
# A copy of 2.5 GiB among them, which a loaded machine can make last 25
# minutes: every other test's run ends on its own limit long before.
tav_wine_test(install_tests FRESH TIMEOUT 1800
  SOURCES
    tests/e2e/install_test.cpp
  LIBRARIES e2esupport)
add_dependencies(install_tests setup)

# The shipped program itself: PE32, GUI, system DLLs only.
if(TAV_SHIPPED_DIR)
  add_test(NAME product.imports
    COMMAND ${PROJECT_SOURCE_DIR}/tools/check-imports.sh ${TAV_SHIPPED_DIR}/SETUP.EXE)
endif()

tav_wine_test(complete_tests FRESH
  SOURCES
    tests/e2e/complete_test.cpp
  LIBRARIES e2esupport)
add_dependencies(complete_tests setup setup_counting)

# Rehearsals of whole distributions, as ./run-sample.sh DIR makes them: the
# sample and a distribution of another product, whose plan and receipt agree,
# and one whose installation fails. Their report pages are then opened in
# headless Chromium (no Wine needed).
set(TAV_SETUPCHECK "" CACHE FILEPATH "The native setupcheck, for the plan and receipt comparison")
if(TAV_SETUPCHECK)
  foreach(case sample other failing)
    add_test(NAME rehearsal.${case}
      COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/sample/rehearsal_test.py ${case}
              ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${WINEBED_DIR} ${TAV_SETUPCHECK})
    set_tests_properties(rehearsal.${case} PROPERTIES
      FIXTURES_REQUIRED winebed FIXTURES_SETUP reports RESOURCE_LOCK winebed TIMEOUT 1800)
  endforeach()
  add_test(NAME rehearsal.report
    COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/sample/report_test.py
            ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  set_tests_properties(rehearsal.report PROPERTIES FIXTURES_REQUIRED reports TIMEOUT 300)
endif()

# Two builds of the same sources in two folders of their own give the same
# bytes (no Wine needed).
if(TAV_SHIPPED_DIR)
  set(TAV_SHIPPED_EXE ${TAV_SHIPPED_DIR}/SETUP.EXE)
endif()
add_test(NAME product.reproducible
  COMMAND ${PROJECT_SOURCE_DIR}/tests/release/reproducible.sh
          ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/reproducible ${TAV_SHIPPED_EXE})
set_tests_properties(product.reproducible PROPERTIES TIMEOUT 600)

# Signed, the sample's SETUP.EXE (the shipped file where 32-bit Wine runs)
# still installs the sample.
add_test(NAME sample.signed
  COMMAND ${PROJECT_SOURCE_DIR}/tests/release/signed_sample.sh
          ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${WINEBED_DIR} ${TAV_SETUPCHECK})
set_tests_properties(sample.signed PROPERTIES
  FIXTURES_REQUIRED winebed RESOURCE_LOCK winebed TIMEOUT 1800)

# Real faults: full disks, read-only media, files held by others. The small
# file systems are mounted with the test bed (this needs root or sudo).
tav_wine_test(fault_tests FRESH
  SOURCES
    tests/e2e/fault_test.cpp
  LIBRARIES e2esupport)
add_dependencies(fault_tests setup)

# Annuler at every point of a copy, pressed by a hook placed in the counting
# build, which tells what it still holds at the end.
add_library(cancelhook SHARED tests/e2e/cancelhook.cpp)
set_target_properties(cancelhook PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
target_include_directories(cancelhook PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(cancelhook PRIVATE ${TAV_WARNINGS})
# Exported undecorated: on i686 a stdcall export is otherwise "Name@12".
target_link_options(cancelhook PRIVATE ${TAV_TEST_LINK} -Wl,--kill-at)
tav_wine_test(cancel_tests FRESH
  SOURCES
    tests/e2e/cancel_test.cpp
  LIBRARIES e2esupport)
add_dependencies(cancel_tests setup_counting cancelhook)

# DLLs planted beside SETUP.EXE, and a program that does not restrict its
# DLL search, to show that the planted copies would run.
add_library(plantmarker SHARED tests/e2e/plantmarker.cpp)
set_target_properties(plantmarker PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
target_compile_options(plantmarker PRIVATE ${TAV_WARNINGS})
target_link_options(plantmarker PRIVATE ${TAV_TEST_LINK})
add_executable(plantprobe WIN32 tests/e2e/plantprobe.cpp)
target_compile_options(plantprobe PRIVATE ${TAV_WARNINGS})
target_link_options(plantprobe PRIVATE ${TAV_TEST_LINK})
tav_wine_test(planted_tests FRESH
  SOURCES
    tests/e2e/planted_test.cpp
  LIBRARIES e2esupport)
add_dependencies(planted_tests setup plantmarker plantprobe)

# The benchmark's yardsticks (tools/bench/run.py).
add_executable(copyfloor tools/bench/copyfloor.cpp)
target_compile_options(copyfloor PRIVATE ${TAV_WARNINGS})
target_link_options(copyfloor PRIVATE ${TAV_TEST_LINK})

# SETUP.EXE, the sample distribution and, with TAV_TESTS, the tests,
# cross-built with MinGW-w64.

set(TAV_WINDOWS_SOURCES
    script/script.cpp
    util/file.cpp
    util/message.cpp
    util/window.cpp
    setup/sequence.cpp
    setup/state.cpp
    actions/filecopy.cpp
    actions/registry.cpp
    actions/registration.cpp
    actions/shortcut.cpp
    ui/backdrop.cpp
    ui/directory.cpp
    ui/progress.cpp
)

# A plain configure builds what ships, as build/i686 does, and nothing of
# the tests.
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Debug, Release, RelWithDebInfo or MinSizeRel" FORCE)
endif()
option(TAV_TESTS "Build the tests, the scripted user and the counting build of SETUP.EXE" OFF)
# The test trees take SETUP.EXE (when they run the same architecture) and
# the demonstration Tavelin.exe from the shipped tree, byte for byte.
set(TAV_SHIPPED_DIR "" CACHE PATH "The tree of the shipped i686 build, when this one runs the tests")

set(TAV_GENERATED ${PROJECT_BINARY_DIR}/generated)
add_custom_command(
  OUTPUT ${TAV_GENERATED}/install.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TAV_GENERATED}
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/make_icons.py ${TAV_GENERATED}/install.ico
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_icons.py
  COMMENT "Drawing the INSTALL icons")
# The version is written once, in project(): the manifest and the VERSIONINFO
# resource take it from there.
configure_file(resources/setup.manifest.in ${TAV_GENERATED}/setup.manifest @ONLY)
set(TAV_VERSION_DEFINES TAV_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    TAV_VERSION_MINOR=${PROJECT_VERSION_MINOR} TAV_VERSION_PATCH=${PROJECT_VERSION_PATCH})
set_source_files_properties(resources/setup.rc PROPERTIES
  COMPILE_DEFINITIONS "${TAV_VERSION_DEFINES}"
  OBJECT_DEPENDS "${TAV_GENERATED}/install.ico;${TAV_GENERATED}/setup.manifest;${PROJECT_SOURCE_DIR}/util/strings.h;${PROJECT_SOURCE_DIR}/script/names.h;${PROJECT_SOURCE_DIR}/resources/ids.h")

# The same sources give the same bytes wherever and whenever they are built:
# no link time in the header, no path of the source or build tree in the code,
# and no symbol table, which would end the file off the 8-byte boundary that a
# signature is padded to (so removing a signature gives back these bytes).
set(TAV_PATH_MAPS -ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)

# Windows calls a 32-bit program's window and dialog procedures with the stack
# aligned to 4 bytes only, while GCC assumes 16: told so, it realigns a frame
# whose locals need 8 (the picture's verdict, with its 64-bit figures) instead
# of leaving them misaligned.
set(TAV_STACK)
if(TAV_ARCH STREQUAL "i686")
  set(TAV_STACK -mincoming-stack-boundary=2)
endif()

# A SETUP.EXE named OUTPUT.EXE, on a core library of its own; OPTIONS go to
# every C++ compile of both, SOURCES are linked in besides.
function(tav_setup_program target output core)
  cmake_parse_arguments(P "" "" "SOURCES;OPTIONS" ${ARGN})
  add_library(${core} STATIC ${TAV_PORTABLE_SOURCES} ${TAV_WINDOWS_SOURCES})
  target_include_directories(${core} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${core} PRIVATE ${TAV_WARNINGS} -fno-exceptions -fno-rtti ${TAV_PATH_MAPS}
    ${TAV_STACK} ${P_OPTIONS})

  add_executable(${target} WIN32 setup/main.cpp resources/setup.rc ${P_SOURCES})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output} SUFFIX .EXE
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${TAV_GENERATED})
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:${TAV_WARNINGS} -fno-exceptions -fno-rtti ${TAV_PATH_MAPS} ${TAV_STACK}
    ${P_OPTIONS}>)
  # Static: the program needs no DLL beyond the system's own.
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -mwindows
    -Wl,--no-insert-timestamp -s)
  target_link_libraries(${target} PRIVATE ${core} ole32 uuid)
endfunction()

set(TAV_SETUP_EXE ${PROJECT_BINARY_DIR}/SETUP.EXE)
if(TAV_SHIPPED_DIR AND TAV_ARCH STREQUAL "i686")
  # The program the tests run is the shipped file itself, compared at every
  # build so that no older copy can stay in its place.
  add_custom_target(setup ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TAV_SHIPPED_DIR}/SETUP.EXE ${TAV_SETUP_EXE}
    BYPRODUCTS ${TAV_SETUP_EXE}
    COMMENT "Taking the shipped SETUP.EXE")
else()
  # The shipped program, or on a machine without 32-bit Wine the same
  # program for x86_64, built with exactly the same options.
  tav_setup_program(setup SETUP tavcore)
endif()

# The sample distribution: the demonstration builds of Tavelin and of its
# uninstaller and the files of sample/, laid out beside SETUP.EXE. The
# demonstration programs are always the PE32 ones, so that every tree's
# sample holds the same bytes.
if(TAV_SHIPPED_DIR)
  set(TAV_DEMO_EXE ${TAV_SHIPPED_DIR}/Tavelin.exe)
  set(TAV_UNINSTALLER_EXE ${TAV_SHIPPED_DIR}/Untave.exe)
else()
  function(tav_demo_program target output directory)
    add_executable(${target} WIN32 sample/${directory}/main.cpp sample/${directory}/${directory}.rc)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output})
    set_source_files_properties(sample/${directory}/${directory}.rc PROPERTIES
      OBJECT_DEPENDS ${TAV_GENERATED}/install.ico)
    target_include_directories(${target} PRIVATE ${TAV_GENERATED})
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TAV_WARNINGS}>)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)
  endfunction()
  tav_demo_program(tavelin_demo Tavelin tavelin)
  tav_demo_program(untave_demo Untave untave)
  set(TAV_DEMO_EXE $<TARGET_FILE:tavelin_demo>)
  set(TAV_UNINSTALLER_EXE $<TARGET_FILE:untave_demo>)
endif()

file(GLOB TAV_SAMPLE_FILES ${PROJECT_SOURCE_DIR}/sample/*.*)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/sample/SETUP.EXE
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/make_sample.py ${PROJECT_SOURCE_DIR}/sample
          ${PROJECT_BINARY_DIR}/sample ${TAV_SETUP_EXE} ${TAV_DEMO_EXE} ${TAV_UNINSTALLER_EXE}
  DEPENDS setup ${TAV_SETUP_EXE} ${TAV_DEMO_EXE} ${TAV_UNINSTALLER_EXE} ${TAV_SAMPLE_FILES}
          ${PROJECT_SOURCE_DIR}/tools/make_sample.py ${PROJECT_SOURCE_DIR}/tools/make_tile.py
  COMMENT "Laying out the sample distribution")
add_custom_target(sample ALL DEPENDS ${PROJECT_BINARY_DIR}/sample/SETUP.EXE)

if(TAV_TESTS)
  # The build that only the tests that need its counts run: SETUPCNT.EXE
  # (so it reads SETUPCNT.INF) with stack protection, traps on undefined
  # behaviour, and tests/e2e/counting.cpp, which counts the GDI objects,
  # device contexts, registry keys and COM initialisations it holds (Wine
  # keeps no such count of a process). The unit tests use its core.
  set(TAV_HARDENING -fstack-protector-strong -fsanitize=undefined -fsanitize-undefined-trap-on-error)
  tav_setup_program(setup_counting SETUPCNT tavcore_hardened
    SOURCES tests/e2e/counting.cpp OPTIONS ${TAV_HARDENING})
  target_link_options(tavcore_hardened PUBLIC -fstack-protector-strong)
  include(cmake/tests.cmake)
endif()

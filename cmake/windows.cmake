# SETUP.EXE and its tests, cross-built with MinGW-w64.

set(TAV_WINDOWS_SOURCES
    script/script.cpp
    util/message.cpp
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

option(TAV_TESTS "Build the tests and the scripted-user driver" ON)

add_library(tavcore STATIC ${TAV_PORTABLE_SOURCES} ${TAV_WINDOWS_SOURCES})
target_include_directories(tavcore PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tavcore PRIVATE ${TAV_WARNINGS} -fno-exceptions -fno-rtti)

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
  OBJECT_DEPENDS "${TAV_GENERATED}/install.ico;${TAV_GENERATED}/setup.manifest;${PROJECT_SOURCE_DIR}/util/strings.h;${PROJECT_SOURCE_DIR}/resources/ids.h")

add_executable(setup WIN32 setup/main.cpp resources/setup.rc)
set_target_properties(setup PROPERTIES OUTPUT_NAME SETUP SUFFIX .EXE
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
target_include_directories(setup PRIVATE ${PROJECT_SOURCE_DIR} ${TAV_GENERATED})
target_compile_options(setup PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TAV_WARNINGS} -fno-exceptions -fno-rtti>)
# Static: the program needs no DLL beyond the system's own.
target_link_options(setup PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)
# The same sources give the same bytes wherever and whenever they are built:
# no link time in the header, no path of the source or build tree in the code,
# and no symbol table, which would end the file off the 8-byte boundary that a
# signature is padded to (so removing a signature gives back these bytes).
set(TAV_PATH_MAPS -ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
target_compile_options(tavcore PRIVATE ${TAV_PATH_MAPS})
target_compile_options(setup PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TAV_PATH_MAPS}>)
target_link_options(setup PRIVATE -Wl,--no-insert-timestamp -s)
target_link_libraries(setup PRIVATE tavcore ole32 uuid comctl32)

# The build the tests run adds stack protection and traps on undefined
# behaviour; the shipped program is built without the tests.
if(TAV_TESTS)
  set(TAV_HARDENING -fstack-protector-strong -fsanitize=undefined -fsanitize-undefined-trap-on-error)
  target_compile_options(tavcore PRIVATE ${TAV_HARDENING})
  target_compile_options(setup PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TAV_HARDENING}>)
  target_link_options(tavcore PUBLIC -fstack-protector-strong)
  # Wine keeps no count of a process's GDI objects or handles: the test build
  # counts its own (tests/e2e/counting.cpp).
  target_sources(setup PRIVATE tests/e2e/counting.cpp)
endif()

if(TAV_TESTS)
  include(cmake/tests.cmake)
endif()

# The sample distribution: the demonstration build of Tavelin and the files
# of sample/, laid out beside SETUP.EXE.
add_executable(tavelin_demo WIN32 sample/tavelin/main.cpp sample/tavelin/tavelin.rc)
set_target_properties(tavelin_demo PROPERTIES OUTPUT_NAME Tavelin)
set_source_files_properties(sample/tavelin/tavelin.rc PROPERTIES OBJECT_DEPENDS ${TAV_GENERATED}/install.ico)
target_include_directories(tavelin_demo PRIVATE ${TAV_GENERATED})
target_compile_options(tavelin_demo PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TAV_WARNINGS}>)
target_link_options(tavelin_demo PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)

file(GLOB TAV_SAMPLE_FILES ${PROJECT_SOURCE_DIR}/sample/*.*)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/sample/SETUP.EXE
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/make_sample.py ${PROJECT_SOURCE_DIR}/sample
          ${PROJECT_BINARY_DIR}/sample $<TARGET_FILE:setup> $<TARGET_FILE:tavelin_demo>
  DEPENDS setup tavelin_demo ${TAV_SAMPLE_FILES} ${PROJECT_SOURCE_DIR}/tools/make_sample.py
          ${PROJECT_SOURCE_DIR}/tools/make_tile.py
  COMMENT "Laying out the sample distribution")
add_custom_target(sample ALL DEPENDS ${PROJECT_BINARY_DIR}/sample/SETUP.EXE)

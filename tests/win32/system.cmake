# Win32 tests of the installer's system services (disc labels, free space,
# Windows version, temporary folder, path creation, program start, COM),
# run under Wine in a prefix of their own whose drive letters
# system_drives.sh maps to folders of the build tree.
if(NOT DEFINED KORVO_WINE_RUN)
  set(KORVO_WINE_RUN ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh)
endif()
set(_system_prefix ${CMAKE_BINARY_DIR}/wine/system-prefix)
set(_system_drives ${CMAKE_BINARY_DIR}/wine/system-drives)

# Programs the tests start.
add_executable(system_marker_program ${CMAKE_CURRENT_LIST_DIR}/system_marker_program.cpp)
set_target_properties(system_marker_program PROPERTIES OUTPUT_NAME system_marker)
target_link_options(system_marker_program PRIVATE -mconsole)
add_executable(system_version_probe ${CMAKE_CURRENT_LIST_DIR}/system_version_probe.cpp)
target_link_libraries(system_version_probe PRIVATE korvo_system)
target_link_options(system_version_probe PRIVATE -mconsole)

# Drive letters, labels and drive types; the Wine server is restarted in
# this prefix only, so other tests' prefixes are not disturbed.
add_test(NAME system.drives
         COMMAND ${KORVO_WINE_RUN} --shell bash ${CMAKE_CURRENT_LIST_DIR}/system_drives.sh ${_system_drives})
set_tests_properties(system.drives PROPERTIES
  ENVIRONMENT "KORVO_BUILD_DIR=${CMAKE_BINARY_DIR};KORVO_WINEPREFIX=${_system_prefix}"
  FIXTURES_SETUP korvo_system_drives
  FIXTURES_REQUIRED korvo_wine
  TIMEOUT 300)

korvo_add_gtest(system_win32_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SystemDiscTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemFoldersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemProgramTest.cpp
  LIBS korvo_system
  PROPERTIES
    ENVIRONMENT_MODIFICATION "KORVO_WINEPREFIX=set:${_system_prefix}"
    FIXTURES_REQUIRED korvo_system_drives)
add_dependencies(system_win32_tests system_marker_program system_version_probe)

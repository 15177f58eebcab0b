# Win32 tests of the archive library's system layer and of PWsetup.exe's
# exports, run under Wine.

# The Win32 file operations, compiled on their own so they are tested
# against the real system whatever the rest of the library does.
korvo_add_gtest(dta_file_io_win32_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DtaFileIoTest.cpp
    ${PROJECT_SOURCE_DIR}/dta/file_io_win32.cpp)

# PWsetup.exe's export directory, and an outside program calling the exports
# from a copy of PWsetup.exe loaded as a library.
#
# The exports that matter are the shipped 32-bit program's. The 64-bit test
# build therefore reads PWsetup.exe of the i686 build tree as a file (build
# the windows preset first; a missing file fails the tests), and its outside
# caller, which needs 32-bit calling conventions, skips.
if(TARGET PWsetup AND TARGET dta_pack)
  korvo_add_gtest(pwsetup_exports_test
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/ExportDirectoryTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/ExportCallerTest.cpp
    LIBS dta_pack)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_definitions(pwsetup_exports_test PRIVATE KORVO_PWSETUP_EXE="$<TARGET_FILE:PWsetup>")
    add_dependencies(pwsetup_exports_test PWsetup)
  else()
    set(KORVO_I686_BUILD_DIR ${PROJECT_SOURCE_DIR}/build/windows CACHE PATH
      "The i686 build tree whose PWsetup.exe the 64-bit export tests read")
    get_target_property(pwsetup_dir PWsetup BINARY_DIR)
    file(RELATIVE_PATH pwsetup_dir ${CMAKE_BINARY_DIR} ${pwsetup_dir})
    target_compile_definitions(pwsetup_exports_test PRIVATE
      KORVO_PWSETUP_EXE="${KORVO_I686_BUILD_DIR}/${pwsetup_dir}/$<TARGET_FILE_NAME:PWsetup>")
  endif()
endif()

# The writer against the real system: attributes, sharing, safe replacement.
korvo_add_gtest(dta_writer_win32_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DtaWriterTest.cpp
  LIBS dta)

# The leak report's message box, shown by a small program that leaks an
# archive and answered by the test.
add_executable(dta_leak_program ${CMAKE_CURRENT_LIST_DIR}/DtaLeakProgram.cpp)
target_link_libraries(dta_leak_program PRIVATE dta)
target_link_options(dta_leak_program PRIVATE -mconsole)
korvo_add_gtest(dta_leak_report_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DtaLeakReportTest.cpp)
add_dependencies(dta_leak_report_test dta_leak_program)

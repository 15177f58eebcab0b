# Win32 tests of the archive library's system layer and of PWsetup.exe's
# exports, run under Wine.

# The Win32 file operations, compiled on their own so they are tested
# against the real system whatever the rest of the library does.
korvo_add_gtest(dta_file_io_win32_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DtaFileIoTest.cpp
    ${PROJECT_SOURCE_DIR}/dta/file_io_win32.cpp)
target_include_directories(dta_file_io_win32_test PRIVATE ${PROJECT_SOURCE_DIR}/dta ${CMAKE_CURRENT_LIST_DIR})

# Registry values, uninstall record, shell links and the uninstaller, against
# the real registry, shell and file system of the Wine prefix.
korvo_add_gtest(records_win32_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RegistryValuesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegistryInstallationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegistrationSnapshotTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UninstallRecordTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShortcutTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UninstallGameTest.cpp
  LIBS korvo_records shlwapi)

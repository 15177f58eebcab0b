# Installer engine: settings table, tokenizer, install script, folders.
if(NOT TARGET korvo_engine)
  return()
endif()

set(engine_test_sources
  ${CMAKE_CURRENT_LIST_DIR}/SettingsTableTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextTokenizerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstallScriptTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstallerFoldersTest.cpp
)
korvo_add_gtest(engine_tests SOURCES ${engine_test_sources} LIBS korvo_engine)

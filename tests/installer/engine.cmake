# Installer engine: settings table, tokenizer, install script, folders,
# message texts, the copy worker and the progress dialogs' logic (the copy
# dialog and the patch's backup dialog).
set(engine_test_sources
  ${CMAKE_CURRENT_LIST_DIR}/SettingsTableTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextTokenizerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstallScriptTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstallerFoldersTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PathRulesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyWorkerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyLockTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyJournalTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyProgressLogicTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BackupProgressLogicTest.cpp
)
korvo_add_gtest(engine_tests SOURCES ${engine_test_sources} LIBS korvo_engine dta_pack)

# Reading the script through the archive library, from a plain file and from
# an archive built by the packer.
korvo_add_gtest(engine_script_reader_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/InstallScriptReaderTest.cpp
  LIBS korvo_engine dta dta_pack)

# The flow with a scripted host, and the patch's language check, over disc
# archives built by the packer.
korvo_add_gtest(engine_flow_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/InstallerFlowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LanguageCheckTest.cpp
  LIBS korvo_engine dta dta_pack)

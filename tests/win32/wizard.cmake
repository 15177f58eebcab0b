# The dialog layer, the wizard's pages, the backdrop, the progress dialogs and the
# program object's host side, shown modally in the test
# program as the installer shows them (the program's resources are linked
# in), at 96 DPI in the common prefix and again at 144 DPI in a prefix of
# their own (whose set-up needs the common prefix first). Screenshots of every
# page land in screenshots/dpi<N>/.
korvo_add_gtest(wizard_win32_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/UiLayerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WizardPagesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BillboardWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CopyDialogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BackupDialogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InstallerAppTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/e2e/driver/screenshot_win32.cpp
    ${PROJECT_SOURCE_DIR}/installer/resources/PWsetup.rc
  LIBS korvo_installer_app korvo_wizard dta_pack e2e_script shlwapi
  PROPERTIES RESOURCE_LOCK wine_desktop)

set(_dpi144_prefix ${CMAKE_BINARY_DIR}/wine/dpi144-prefix)
add_test(NAME wizard.dpi144.prefix
         COMMAND ${KORVO_WINE_RUN} reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 144 /f)
set_tests_properties(wizard.dpi144.prefix PROPERTIES
  ENVIRONMENT "KORVO_BUILD_DIR=${CMAKE_BINARY_DIR};KORVO_WINEPREFIX=${_dpi144_prefix}"
  FIXTURES_SETUP korvo_dpi144
  FIXTURES_REQUIRED korvo_wine
  TIMEOUT 300)
gtest_discover_tests(wizard_win32_test
  TEST_PREFIX dpi144.
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  PROPERTIES ${KORVO_TEST_PROPERTIES}
    ENVIRONMENT_MODIFICATION "KORVO_WINEPREFIX=set:${_dpi144_prefix}"
    FIXTURES_REQUIRED korvo_dpi144
    RESOURCE_LOCK wine_desktop)

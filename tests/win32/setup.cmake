# Win32 tests of setup.exe's system layer: the stored settings value in the
# registry and the Direct3D 8 / DirectDraw 7 provider against Wine's own.
# They share the registry value and Direct3D settings with the setup GUI
# scenarios, hence the common lock.
if(TARGET setup_win32)
  korvo_add_gtest(setup_win32_test
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/SetupStoreTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/Direct3DProviderTest.cpp
    LIBS setup_win32
    PROPERTIES RESOURCE_LOCK wine_desktop)
endif()

# Portable parts of the installer's system services: byte-size texts, the
# rules behind the system queries.
set(_system_tests ${CMAKE_CURRENT_LIST_DIR}/services)
korvo_add_gtest(installer_system_tests
  SOURCES
    ${_system_tests}/FormatByteSizeTest.cpp
    ${_system_tests}/SystemRulesTest.cpp
  LIBS korvo_system)

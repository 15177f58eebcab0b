# The tiny shared pieces in common/ that talk to the system: the registry key
# owner against the prefix's registry.
korvo_add_gtest(common_win32_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RegistryKeyTest.cpp
  LIBS advapi32)

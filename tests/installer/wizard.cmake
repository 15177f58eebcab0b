# The rules behind the billboard window: which picture entries can be drawn
# without reading past them, and where a picture stands.
korvo_add_gtest(installer_billboard_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/wizard/BillboardPictureTest.cpp
  LIBS korvo_billboard)

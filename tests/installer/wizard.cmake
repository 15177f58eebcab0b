# The rules behind the billboard window: which picture entries can be drawn
# without reading past them, where a picture stands, and which picture
# numbers a disc's names give.
korvo_add_gtest(installer_billboard_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/wizard/BillboardPictureTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/BillboardNumbersTest.cpp
  LIBS korvo_billboard)

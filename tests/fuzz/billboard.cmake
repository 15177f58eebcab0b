# The billboard pictures' bounds check: no picture it accepts reaches past
# its entry.
korvo_add_fuzz_target(fuzz_billboard_picture
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/billboard_picture.cpp
  LIBS korvo_billboard
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/billboard)

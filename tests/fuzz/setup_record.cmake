# The stored settings record, loaded and run through the dialog model against
# display hardware that the rest of the input describes.
korvo_add_fuzz_target(fuzz_setup_record
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setup_record.cpp
  LIBS setup_core
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/setup_record)

# The archive reader: registration, directory, lookup and entry reading.
korvo_add_fuzz_target(fuzz_archive_open_read
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_open_read.cpp
  LIBS dta
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/archive
  DICT ${CMAKE_CURRENT_LIST_DIR}/dict/archive.dict)

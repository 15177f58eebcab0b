# The install script parser.
korvo_add_fuzz_target(fuzz_script_reader
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/script_reader.cpp
  LIBS korvo_engine
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/script
  DICT ${CMAKE_CURRENT_LIST_DIR}/dict/script.dict)

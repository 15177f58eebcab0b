# The block decoders on arbitrary bodies and wave headers, and the LZ encoder
# against the decoder.
korvo_add_fuzz_target(fuzz_codec_block
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/codec_block.cpp
  LIBS dta_codecs
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/codec_block
  DICT ${CMAKE_CURRENT_LIST_DIR}/dict/codec_block.dict)
korvo_add_fuzz_target(fuzz_codec_lz_roundtrip
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/codec_lz_roundtrip.cpp
  LIBS dta_pack
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/codec_lz_roundtrip)

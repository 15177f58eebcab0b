# Lays out one set of demo discs as folders, driven by the set's install
# script: every add_file entry is copied onto the disc its line names, each
# disc gets its billboard archive and its volume label, and disc 1 gets the
# installer itself with its data archive.
#
#   cmake -DSCRIPT=idata.txt -DOUT=folder -DROOTS=dir|dir -DTEXTS=file|file
#         -DPICTURES=dir -DDISC1_FILES=name|name -DEVERY_DISC_FILES=name|name
#         -DDTA_TOOL=dta [-DDTA_EMULATOR=runner]
#         [-DEXTRA=lines.txt] [-DDATA_ONLY=ON] -P assemble_disc_set.cmake
#
#   SCRIPT       the install script; packed as idata.txt
#   ROOTS        folders searched, in order, for the files the script and
#                DISC1_FILES name (names relative to a root, backslashes allowed)
#   TEXTS        further files packed into PWdata.dta under their own names
#   PICTURES     folder holding bilboard<n>.bmp
#   DISC1_FILES  the installer's own files for disc 1 (PWsetup.exe)
#   EVERY_DISC_FILES  files on every disc: the setups that the installer starts
#                from its source folder after the copy, when the last disc is in
#                the drive (EAX3\setup.exe, the DirectX setups)
#   EXTRA        lines appended to the script (later settings win)
#   DATA_ONLY    write only OUT/PWdata.dta (a variant of a set's data archive)
#
# The result is OUT/disc1, OUT/disc2, ... (or OUT/PWdata.dta). Archives are
# packed with the dta tool, every entry named explicitly with --as; texts get
# Windows line ends. The script as packed ends with the measured byte count
# of its add_file entries as request_space_full (before EXTRA), so that the
# total progress of an install runs to 100 %. An add_file entry named
# PWdata.dta (the uninstaller's data, on disc 1) is that archive itself.
cmake_minimum_required(VERSION 3.25)

foreach(var SCRIPT OUT TEXTS DTA_TOOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "assemble_disc_set: ${var} is not set")
  endif()
endforeach()
string(REPLACE "|" ";" ROOTS "${ROOTS}")
string(REPLACE "|" ";" TEXTS "${TEXTS}")
string(REPLACE "|" ";" DISC1_FILES "${DISC1_FILES}")
string(REPLACE "|" ";" EVERY_DISC_FILES "${EVERY_DISC_FILES}")

set(stage ${OUT}.stage)
file(REMOVE_RECURSE ${OUT} ${stage})
file(MAKE_DIRECTORY ${OUT} ${stage})

function(pack archive)
  execute_process(COMMAND ${DTA_EMULATOR} ${DTA_TOOL} pack ${archive} ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "assemble_disc_set: packing ${archive} failed (${rc}):\n${out}${err}")
  endif()
endfunction()

# A text with Windows line ends, as the installer's texts are stored.
function(write_crlf path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

# The file named `name` (relative, with backslashes) in the first root that holds it.
function(find_in_roots name result)
  string(REPLACE "\\" "/" relative "${name}")
  foreach(root IN LISTS ROOTS)
    if(EXISTS ${root}/${relative} AND NOT IS_DIRECTORY ${root}/${relative})
      set(${result} ${root}/${relative} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "assemble_disc_set: no file ${name} in ${ROOTS}")
endfunction()

# One field of a script line: a quoted text or a run of non-separators.
set(field "(\"[^\"]*\"|[^ \t=\"]+)")
set(sep "[ \t=]+")

file(READ ${SCRIPT} script_text)
set(extra_text "")
if(DEFINED EXTRA)
  file(READ ${EXTRA} extra_text)
endif()
if(NOT script_text MATCHES "\n$")
  string(APPEND script_text "\n")
endif()

if(NOT DATA_ONLY)
  file(STRINGS ${SCRIPT} lines)
  set(total 0)
  set(data_listed OFF)
  set(discs 1)
  set(per_disc 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*var${sep}num_of_bilboards_per_cd${sep}\"?([0-9]+)")
      set(per_disc ${CMAKE_MATCH_1})
    elseif(line MATCHES "^[ \t]*add_file${sep}${field}${sep}${field}${sep}([0-9]+)")
      string(REPLACE "\"" "" name "${CMAKE_MATCH_1}")
      math(EXPR disc "${CMAKE_MATCH_3} % 256")
      if(disc LESS 1)
        message(FATAL_ERROR "assemble_disc_set: ${name} has no disc number")
      endif()
      if(disc GREATER discs)
        set(discs ${disc})
      endif()
      if(name STREQUAL "PWdata.dta")
        # The data archive is packed below, with this script in it; its size
        # is added when it is known.
        if(NOT disc EQUAL 1)
          message(FATAL_ERROR "assemble_disc_set: PWdata.dta is made on disc 1 only")
        endif()
        set(data_listed ON)
        continue()
      endif()
      find_in_roots("${name}" source)
      string(REPLACE "\\" "/" relative "${name}")
      get_filename_component(folder ${OUT}/disc${disc}/${relative} DIRECTORY)
      file(COPY ${source} DESTINATION ${folder})
      file(SIZE ${source} size)
      math(EXPR total "${total} + ${size}")
    endif()
  endforeach()

  foreach(disc RANGE 1 ${discs})
    set(names ${EVERY_DISC_FILES})
    if(disc EQUAL 1)
      list(APPEND names ${DISC1_FILES})
    endif()
    foreach(name IN LISTS names)
      find_in_roots("${name}" source)
      string(REPLACE "\\" "/" relative "${name}")
      get_filename_component(folder ${OUT}/disc${disc}/${relative} DIRECTORY)
      file(COPY ${source} DESTINATION ${folder})
    endforeach()
    file(MAKE_DIRECTORY ${OUT}/disc${disc})
    file(WRITE ${OUT}/disc${disc}/.windows-label "KORVO_CD_${disc}\n")
    # Disc index d holds the pictures d * k to d * k + k - 1.
    math(EXPR index "${disc} - 1")
    set(entries)
    if(per_disc GREATER 0)
      math(EXPR first "${index} * ${per_disc}")
      math(EXPR last "${first} + ${per_disc} - 1")
      foreach(n RANGE ${first} ${last})
        if(EXISTS ${PICTURES}/bilboard${n}.bmp)
          list(APPEND entries --as bilboard${n}.bmp ${PICTURES}/bilboard${n}.bmp)
        endif()
      endforeach()
    endif()
    if(entries)
      pack(${OUT}/disc${disc}/bilboard${index}.dta ${entries})
    endif()
  endforeach()
endif()

# The texts packed beside the script.
set(text_entries)
foreach(text IN LISTS TEXTS)
  get_filename_component(name ${text} NAME)
  file(READ ${text} content)
  write_crlf(${stage}/${name} "${content}")
  list(APPEND text_entries --as ${name} ${stage}/${name})
endforeach()

if(DATA_ONLY)
  write_crlf(${stage}/idata.txt "${script_text}${extra_text}")
  pack(${OUT}/PWdata.dta --as idata.txt ${stage}/idata.txt ${text_entries})
else()
  # When the script installs the data archive itself, the measured count
  # includes the archive, whose size depends on the count written into it:
  # packed again until the size holds still. Some counts have no such point
  # (the compressed size flips between two values, each giving the other);
  # a flip is broken by a comment that grows by a byte each time.
  set(data ${OUT}/disc1/PWdata.dta)
  set(data_size 0)
  set(earlier_size -1)
  set(padding "")
  set(settled OFF)
  foreach(attempt RANGE 1 16)
    math(EXPR full "${total} + ${data_size}")
    set(measured "\n// Measured when the discs were built: the bytes of every add_file entry.\n")
    if(NOT padding STREQUAL "")
      string(APPEND measured "//${padding}\n")
    endif()
    string(APPEND measured "var request_space_full = ${full}\n")
    write_crlf(${stage}/idata.txt "${script_text}${measured}${extra_text}")
    pack(${data} --as idata.txt ${stage}/idata.txt ${text_entries})
    if(NOT data_listed)
      set(settled ON)
      break()
    endif()
    file(SIZE ${data} size)
    if(size EQUAL data_size)
      set(settled ON)
      break()
    endif()
    if(size EQUAL earlier_size)
      string(APPEND padding ".")
    endif()
    set(earlier_size ${data_size})
    set(data_size ${size})
  endforeach()
  if(NOT settled)
    message(FATAL_ERROR "assemble_disc_set: the size of ${data} does not settle")
  endif()
endif()
file(REMOVE_RECURSE ${stage})

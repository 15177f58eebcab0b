# The demo build's wiring around its disc sets, in two modes.
#
# A disc set: lays out the project folder PROJECT for `korvo-disc build` from
# the build's sources and generated files, and runs the tool (through
# EMULATOR, Wine in this build) to make OUT/disc1, OUT/disc2, ...; the tool
# copies each add_file entry to its disc, packs PWdata.dta and the billboard
# archives, writes the labels and the measured request sizes, and checks the
# set.
#
#   cmake -DSCRIPT=idata.txt -DPROJECT=folder -DOUT=folder -DROOTS=dir|dir
#         -DTEXTS=file|file -DPICTURES=dir -DINSTALLER=PWsetup.exe
#         -DDISC1_FILES=name|name -DEVERY_DISC_FILES=name|name
#         -DKORVO_DISC=korvo-disc [-DEMULATOR=runner] -P assemble_disc_set.cmake
#
#   SCRIPT       the install script (the project's idata.txt)
#   ROOTS        folders whose trees make the project's files/; a name in
#                several comes from the first that holds it
#   TEXTS        license.txt and patch.txt
#   PICTURES     folder holding bilboard<n>.bmp
#   INSTALLER    PWsetup.exe for disc 1
#   DISC1_FILES  further files for disc 1 as they are (a patch's patch\a8.dta)
#   EVERY_DISC_FILES  files on every disc: the setups that the installer starts
#                from its source folder after the copy, when the last disc is in
#                the drive (EAX3\setup.exe, the DirectX setups)
#
# A data variant (-DDATA_ONLY=ON): OUT/PWdata.dta with SCRIPT, the lines of
# EXTRA appended (later settings win) and TEXTS, packed by the dta tool:
#
#   cmake -DDATA_ONLY=ON -DSCRIPT=idata.txt -DEXTRA=lines.txt -DOUT=folder
#         -DTEXTS=file|file -DDTA_TOOL=dta [-DEMULATOR=runner] -P assemble_disc_set.cmake
#
# Files from ROOTS and DISC1_FILES/EVERY_DISC_FILES are named relative to a
# root, backslashes allowed; texts get Windows line ends.
cmake_minimum_required(VERSION 3.25)

foreach(var SCRIPT OUT TEXTS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "assemble_disc_set: ${var} is not set")
  endif()
endforeach()
string(REPLACE "|" ";" ROOTS "${ROOTS}")
string(REPLACE "|" ";" TEXTS "${TEXTS}")
string(REPLACE "|" ";" DISC1_FILES "${DISC1_FILES}")
string(REPLACE "|" ";" EVERY_DISC_FILES "${EVERY_DISC_FILES}")

# A text with Windows line ends, as the installer's texts are stored.
function(write_crlf path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

if(DATA_ONLY)
  if(NOT DEFINED DTA_TOOL)
    message(FATAL_ERROR "assemble_disc_set: DTA_TOOL is not set")
  endif()
  set(stage ${OUT}.stage)
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${OUT} ${stage})
  file(READ ${SCRIPT} script_text)
  if(NOT script_text MATCHES "\n$")
    string(APPEND script_text "\n")
  endif()
  set(extra_text "")
  if(DEFINED EXTRA)
    file(READ ${EXTRA} extra_text)
  endif()
  set(entries --as idata.txt ${stage}/idata.txt)
  write_crlf(${stage}/idata.txt "${script_text}${extra_text}")
  foreach(text IN LISTS TEXTS)
    get_filename_component(name ${text} NAME)
    file(READ ${text} content)
    write_crlf(${stage}/${name} "${content}")
    list(APPEND entries --as ${name} ${stage}/${name})
  endforeach()
  execute_process(COMMAND ${EMULATOR} ${DTA_TOOL} pack ${OUT}/PWdata.dta ${entries}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "assemble_disc_set: packing ${OUT}/PWdata.dta failed (${rc}):\n${out}${err}")
  endif()
  file(REMOVE_RECURSE ${stage})
  return()
endif()

foreach(var PROJECT PICTURES INSTALLER KORVO_DISC)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "assemble_disc_set: ${var} is not set")
  endif()
endforeach()

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

# Copies the files `names` from the roots into `folder`, keeping their paths.
function(copy_from_roots folder)
  foreach(name IN LISTS ARGN)
    find_in_roots("${name}" source)
    string(REPLACE "\\" "/" relative "${name}")
    get_filename_component(target ${folder}/${relative} DIRECTORY)
    file(COPY ${source} DESTINATION ${target})
  endforeach()
endfunction()

# The project folder, laid out afresh.
file(REMOVE_RECURSE ${PROJECT} ${OUT})
file(MAKE_DIRECTORY ${PROJECT}/files ${PROJECT}/billboards)
file(COPY_FILE ${SCRIPT} ${PROJECT}/idata.txt)
foreach(text IN LISTS TEXTS)
  get_filename_component(name ${text} NAME)
  file(COPY_FILE ${text} ${PROJECT}/${name})
endforeach()
# The last root first, so that an earlier root's file wins.
set(reversed ${ROOTS})
list(REVERSE reversed)
foreach(root IN LISTS reversed)
  file(COPY ${root}/ DESTINATION ${PROJECT}/files)
endforeach()
file(GLOB pictures ${PICTURES}/bilboard*.bmp)
file(COPY ${pictures} DESTINATION ${PROJECT}/billboards)
copy_from_roots(${PROJECT}/every-disc ${EVERY_DISC_FILES})
copy_from_roots(${PROJECT}/disc1 ${DISC1_FILES})

execute_process(COMMAND ${EMULATOR} ${KORVO_DISC} build --installer ${INSTALLER} ${PROJECT} ${OUT}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "assemble_disc_set: korvo-disc build ${OUT} failed (${rc}):\n${out}${err}")
endif()
# The demo's sets are kept free of warnings too.
if(out MATCHES ": warning: ")
  message(FATAL_ERROR "assemble_disc_set: korvo-disc build ${OUT} warns:\n${out}${err}")
endif()

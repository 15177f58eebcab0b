# Windows build of the settings tool: the Direct3D 8 / DirectDraw 7 provider,
# the dialog and setup.exe. Included from setup/CMakeLists.txt. d3d8.dll is
# loaded at run time, so there is no import library for it.
if(NOT WIN32)
  return()
endif()

add_library(setup_win32 STATIC
  direct3d_provider_win32.cpp
  setup_store_win32.cpp
  dialog_texts_win32.cpp
  dialog_layout_win32.cpp
  setup_dialog_win32.cpp
)
target_link_libraries(setup_win32 PUBLIC setup_core ddraw dxguid user32 gdi32 comctl32 advapi32)

add_executable(setup WIN32 main_win32.cpp setup.rc)
target_link_libraries(setup PRIVATE setup_win32)
target_link_options(setup PRIVATE -static)
set_target_properties(setup PROPERTIES OUTPUT_NAME setup)
# windres finds resource.h, setup.bmp and the manifest next to setup.rc.
set_property(SOURCE setup.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/setup.bmp ${CMAKE_CURRENT_SOURCE_DIR}/resource.h
  ${CMAKE_CURRENT_SOURCE_DIR}/setup.exe.manifest)

# PWsetup.exe: the installer program, which also exports the dta archive
# library's twelve functions by decorated name (resources/PWsetup.def).
# Windows build only.
if(WIN32)
  # The program object that binds the flow to the real pages and services.
  add_library(korvo_installer_app STATIC ${CMAKE_CURRENT_LIST_DIR}/installer_app_win32.cpp)
  target_link_libraries(korvo_installer_app PUBLIC korvo_wizard korvo_engine korvo_records korvo_system)

  set(_resources ${CMAKE_CURRENT_LIST_DIR}/resources)
  set(PWSETUP_DEF ${_resources}/PWsetup.def)
  add_executable(PWsetup WIN32
    ${CMAKE_CURRENT_LIST_DIR}/main_win32.cpp
    ${_resources}/PWsetup.rc)
  target_link_libraries(PWsetup PRIVATE korvo_installer_app dta korvo_system)
  # The whole library goes in, so every export has its code although the
  # program itself may call only some of the functions. Given once, ahead of
  # the libraries: the engine's own link to the library then adds nothing.
  target_link_options(PWsetup PRIVATE -Wl,--whole-archive $<TARGET_FILE:dta> -Wl,--no-whole-archive)
  # CMake passes .def sources only to libraries; hand it to the linker here.
  # Relocation records let a caller load a copy of the program as a library
  # at another address and call the exports.
  target_link_options(PWsetup PRIVATE ${PWSETUP_DEF} -Wl,--dynamicbase)
  set_target_properties(PWsetup PROPERTIES LINK_DEPENDS ${PWSETUP_DEF})
  # windres finds the resource ids, pictures and manifest next to the .rc.
  set_property(SOURCE ${_resources}/PWsetup.rc APPEND PROPERTY OBJECT_DEPENDS
    ${_resources}/resource.h ${_resources}/korvocity.bmp ${_resources}/pwsetup.ico
    ${_resources}/PWsetup.exe.manifest)
endif()

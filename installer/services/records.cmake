# korvo_records: the game's registry values and uninstall record, shell
# links, the registration step and the uninstaller (Windows build only).
if(NOT WIN32)
  return()
endif()

set(_records_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(korvo_records STATIC
  ${_records_dir}/registry_values_win32.cpp
  ${_records_dir}/registry_installation_win32.cpp
  ${_records_dir}/registration_snapshot_win32.cpp
  ${_records_dir}/uninstall_record_win32.cpp
  ${_records_dir}/shortcuts_folders_win32.cpp
  ${_records_dir}/shortcuts_win32.cpp
  ${_records_dir}/uninstaller_win32.cpp
)
target_include_directories(korvo_records PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(korvo_records PUBLIC korvo_engine korvo_system ole32 uuid shell32 advapi32)

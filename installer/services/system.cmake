# korvo_system: the installer's system queries and external programs, and
# the process-wide services (COM, copy lock). The byte-size text and the
# rules behind the queries are portable; the queries themselves need Windows.
set(_system_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(korvo_system STATIC
  ${_system_dir}/format_byte_size.cpp
  ${_system_dir}/system_rules.cpp
)
target_include_directories(korvo_system PUBLIC ${PROJECT_SOURCE_DIR})

if(WIN32)
  target_sources(korvo_system PRIVATE
    ${_system_dir}/system_storage_win32.cpp
    ${_system_dir}/process_services_win32.cpp
    ${_system_dir}/system_programs_win32.cpp
  )
  target_link_libraries(korvo_system PUBLIC ole32 shell32)
else()
  find_package(Threads REQUIRED)
  target_sources(korvo_system PRIVATE ${_system_dir}/process_services_posix.cpp)
  target_link_libraries(korvo_system PUBLIC Threads::Threads)
endif()

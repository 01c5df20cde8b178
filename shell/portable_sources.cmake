# The shell's portable logic: no windows.h, so the native unit tests build it too.
set(QUILLO_SHELL_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_titles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rotation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shortcut_target.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_url.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compile_gate.cpp
)

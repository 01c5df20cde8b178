# The portable logic of the shell and of the platform layer: no windows.h, so the native unit tests
# build it too.
set(QUILLO_SHELL_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_titles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rotation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compile_gate.cpp
)
set(QUILLO_PLATFORM_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/../platform/file_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../platform/shell_classes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../platform/ime_toggle.cpp
)

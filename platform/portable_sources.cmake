# The portable decisions of the platform layer: no windows.h, so the native unit tests build them too.
set(QUILLO_PLATFORM_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_classes.cpp
)

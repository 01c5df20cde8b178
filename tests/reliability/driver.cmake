# The reliability driver: a Windows program run under Wine beside quillo.exe (MinGW build only). It
# shares the end-to-end driver's support code.
add_executable(quillo-reliability-driver
  ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quillo_symbols.cpp
  ${CMAKE_CURRENT_LIST_DIR}/worst_scripts.cpp
  ${PROJECT_SOURCE_DIR}/tests/e2e/driver_support.cpp
)
target_include_directories(quillo-reliability-driver PRIVATE ${PROJECT_SOURCE_DIR}/tests/e2e)
target_link_libraries(quillo-reliability-driver PRIVATE psapi ole32 uuid shell32)
target_link_options(quillo-reliability-driver PRIVATE -municode)
set_target_properties(quillo-reliability-driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

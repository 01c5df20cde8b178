# The end-to-end test driver: a Windows program run under Wine beside quillo.exe (MinGW build only).
add_executable(quillo-e2e-driver
  ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_support.cpp
)
target_link_libraries(quillo-e2e-driver PRIVATE ole32 uuid shell32)
target_link_options(quillo-e2e-driver PRIVATE -municode)
set_target_properties(quillo-e2e-driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

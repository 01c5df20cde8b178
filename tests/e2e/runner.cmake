# The Wine test runner: a Windows program run under Wine beside quillo.exe (MinGW build only).
add_executable(quillo-wine-runner ${CMAKE_CURRENT_LIST_DIR}/runner.cpp)
target_link_libraries(quillo-wine-runner PRIVATE ole32 uuid shell32 shlwapi psapi)
target_link_options(quillo-wine-runner PRIVATE -municode)
set_target_properties(quillo-wine-runner PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

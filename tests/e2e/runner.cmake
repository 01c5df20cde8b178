# The Wine test runner: a Windows program run under Wine beside quillo.exe (MinGW build only). It takes the
# program's ids, messages and sizes from the program's own headers.
add_executable(quillo-wine-runner ${CMAKE_CURRENT_LIST_DIR}/runner.cpp)
target_include_directories(quillo-wine-runner PRIVATE ${PROJECT_SOURCE_DIR}/resources ${PROJECT_SOURCE_DIR}/shell
                           ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR}/host ${PROJECT_SOURCE_DIR}/engine)
target_link_libraries(quillo-wine-runner PRIVATE ole32 uuid shell32 shlwapi psapi)
target_link_options(quillo-wine-runner PRIVATE -municode)
set_target_properties(quillo-wine-runner PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

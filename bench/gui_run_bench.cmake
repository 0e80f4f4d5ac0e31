# The wizard's run time against tabulon-convert. Included by ui/CMakeLists.txt,
# so bench/CMakeLists.txt stays the benchmark owner's. Not registered with ctest.
add_executable(gui_run_bench ${CMAKE_SOURCE_DIR}/bench/gui_run_bench.cpp)
target_link_libraries(gui_run_bench PRIVATE tabulon_ui)
target_compile_definitions(gui_run_bench PRIVATE TABULON_CONVERT="$<TARGET_FILE:tabulon-convert>")
set_target_properties(gui_run_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_dependencies(gui_run_bench tabulon-convert)

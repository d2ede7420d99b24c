# Route installer against ip -batch and one ip process per route; needs root.
add_executable(route_bench
  ${CMAKE_CURRENT_LIST_DIR}/route_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/vpn/net_namespace.cpp
  ${PROJECT_SOURCE_DIR}/tests/vpn/kernel_routes.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/temp_dir.cpp)
target_link_libraries(route_bench PRIVATE zavtrel_core PkgConfig::MNL)
target_compile_definitions(route_bench PRIVATE ZAVTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

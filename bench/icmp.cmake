# Probe timing against the TUN latency fixture (needs root).
if(NOT TARGET zavtrel_latency_fixture)
  add_library(zavtrel_latency_fixture STATIC
    ${PROJECT_SOURCE_DIR}/tests/nodes/latency_fixture.h ${PROJECT_SOURCE_DIR}/tests/nodes/latency_fixture.cpp)
  target_link_libraries(zavtrel_latency_fixture PUBLIC zavtrel_platform)
endif()
add_executable(icmp_bench ${CMAKE_CURRENT_LIST_DIR}/icmp_bench.cpp)
target_link_libraries(icmp_bench PRIVATE zavtrel_core zavtrel_latency_fixture)

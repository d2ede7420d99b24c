target_sources(zavtrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../icmp_probe.h
  ${CMAKE_CURRENT_LIST_DIR}/socket_icmp_probe.h
  ${CMAKE_CURRENT_LIST_DIR}/socket_icmp_probe.cpp)

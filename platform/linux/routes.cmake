# Network adapters and the IPv4 routing table.
target_sources(zavtrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../network_adapters.h
  ${CMAKE_CURRENT_LIST_DIR}/../route_table.h
  ${CMAKE_CURRENT_LIST_DIR}/getifaddrs_network_adapters.h
  ${CMAKE_CURRENT_LIST_DIR}/getifaddrs_network_adapters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/netlink_route_table.h
  ${CMAKE_CURRENT_LIST_DIR}/netlink_route_table.cpp)
target_link_libraries(zavtrel_platform PRIVATE PkgConfig::MNL)

# Remote-access service: the connection registry shared with the dial tool,
# the client's view of it, and running the dial tool with captured output.
target_sources(zavtrel_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../remote_access.h
  ${CMAKE_CURRENT_LIST_DIR}/../process_capture.h
  ${CMAKE_CURRENT_LIST_DIR}/connection_registry.h ${CMAKE_CURRENT_LIST_DIR}/connection_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_remote_access.h ${CMAKE_CURRENT_LIST_DIR}/registry_remote_access.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_process_capture.h ${CMAKE_CURRENT_LIST_DIR}/posix_process_capture.cpp)

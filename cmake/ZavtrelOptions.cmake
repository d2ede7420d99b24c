# Shared compile options: every target of the project links this.
add_library(zavtrel_options INTERFACE)
target_compile_features(zavtrel_options INTERFACE cxx_std_20)
target_compile_options(zavtrel_options INTERFACE -Wall -Wextra $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> -Wnon-virtual-dtor)
target_include_directories(zavtrel_options INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
set(CMAKE_CXX_EXTENSIONS OFF)


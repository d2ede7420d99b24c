# Compiles files into the program byte for byte, as constexpr byte arrays.
# zavtrel_embed(<target> <namespace> <header name> NAME <id> FILE <path> ...)
function(zavtrel_embed target header)
  cmake_parse_arguments(ARG "" "" "ITEMS" ${ARGN})
  set(out_dir ${PROJECT_BINARY_DIR}/generated/embedded)
  set(out_cpp ${out_dir}/${header}.cpp)
  set(out_h ${out_dir}/${header}.h)
  set(deps)
  set(args)
  list(LENGTH ARG_ITEMS n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET ARG_ITEMS ${i} name)
    list(GET ARG_ITEMS ${j} file)
    list(APPEND deps ${file})
    list(APPEND args ${name}=${file})
  endforeach()
  add_custom_command(
    OUTPUT ${out_cpp} ${out_h}
    COMMAND ${CMAKE_COMMAND} -DOUT_CPP=${out_cpp} -DOUT_H=${out_h} -DHEADER=${header} "-DITEMS=${args}"
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedWrite.cmake
    DEPENDS ${deps} ${PROJECT_SOURCE_DIR}/cmake/EmbedWrite.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out_cpp} ${out_h})
endfunction()

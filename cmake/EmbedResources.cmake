# Compiles files into the program byte for byte.
#
#   zavtrel_embed(<target> <header> <name> <file> [<name> <file> ...])
#
# writes generated/embedded/<header>.{h,cpp} with one
# `extern const std::string_view <name>;` per file, in namespace embedded, and
# adds them to <target>. The files are written at configure time and written
# again whenever an embedded file changes.
function(zavtrel_embed target header)
  set(dir ${PROJECT_BINARY_DIR}/generated/embedded)
  set(h "#pragma once\n#include <string_view>\n\nnamespace embedded {\n\n")
  set(cpp "#include \"embedded/${header}.h\"\n\nnamespace embedded {\n\n")
  set(items ${ARGN})
  while(items)
    list(POP_FRONT items name file)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(READ ${file} hex HEX)
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," body "${hex}")
    string(APPEND h "extern const std::string_view ${name};\n")
    string(APPEND cpp "static const char ${name}_bytes[] = {${body} 0};\n"
                      "const std::string_view ${name}(${name}_bytes, ${size});\n\n")
  endwhile()
  string(APPEND h "\n}  // namespace embedded\n")
  string(APPEND cpp "}  // namespace embedded\n")
  file(CONFIGURE OUTPUT ${dir}/${header}.h CONTENT "${h}" @ONLY)
  file(CONFIGURE OUTPUT ${dir}/${header}.cpp CONTENT "${cpp}" @ONLY)
  target_sources(${target} PRIVATE ${dir}/${header}.h ${dir}/${header}.cpp)
endfunction()

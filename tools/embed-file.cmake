# Writes a file's bytes into a C++ header as an array, so that the program
# carries it as a resource of its own.
#
#   cmake -DIN=file -DOUT=header.h -DNAME=kSymbol -P tools/embed-file.cmake
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(from "${IN}" NAME)
file(WRITE "${OUT}.tmp"
  "// Generated from ${from} at build time. Do not edit.\n"
  "#pragma once\n#include <cstdint>\n\n"
  "inline constexpr uint8_t ${NAME}[${size}] = {\n    ${bytes}\n};\n")
file(RENAME "${OUT}.tmp" "${OUT}")

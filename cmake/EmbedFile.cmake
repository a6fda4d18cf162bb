# Turns a binary file into a C++ source array: cmake -DINPUT=file -DOUTPUT=file.cpp
# -DSYMBOL=name -P EmbedFile.cmake defines `const unsigned char name[]` and
# `const std::size_t nameSize`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}"
  "// Made at build time from ${INPUT}.\n#include <cstddef>\n"
  "extern const unsigned char ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}Size;\n"
  "const unsigned char ${SYMBOL}[] = {${bytes}};\n"
  "const std::size_t ${SYMBOL}Size = ${size};\n")

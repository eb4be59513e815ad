# Turns a file into a C++ source that defines its bytes as a constant array.
#
#   cmake -DINPUT=<file> -DOUTPUT=<source.cpp> -DNAMESPACE=<ns> -DSYMBOL=<name> -P EmbedFile.cmake
#
# The source defines `const std::uint8_t <SYMBOL>Bytes[]` and
# `const std::span<const std::uint8_t> <SYMBOL>` in namespace <NAMESPACE>. The output
# is rewritten only when its text changes, so an unchanged input rebuilds nothing.
foreach(variable INPUT OUTPUT NAMESPACE SYMBOL)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "EmbedFile.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# An empty file still needs one element: C++ has no arrays of size zero.
if(size EQUAL 0)
  set(bytes "0x00,")
endif()
# CMake's regular expressions have no {n}: the pattern for 20 bytes is spelled out.
string(REPEAT "0x..," 20 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n" bytes "${bytes}")

file(WRITE "${OUTPUT}.new"
"// Generated from ${INPUT} by cmake/EmbedFile.cmake; do not edit.
#include <cstdint>
#include <span>

namespace ${NAMESPACE} {

namespace {
const std::uint8_t ${SYMBOL}Bytes[] = {
${bytes}
};
}  // namespace

extern const std::span<const std::uint8_t> ${SYMBOL}{${SYMBOL}Bytes, ${size}};

}  // namespace ${NAMESPACE}
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")

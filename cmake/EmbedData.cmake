# Turns a data file into a C++ source that returns its bytes: `std::string_view <FUNCTION>()`.
# Run as a script at build time, so the build needs nothing but CMake:
#   cmake -DINPUT=<data file> -DOUTPUT=<.cpp to write> -DFUNCTION=<name> -P cmake/EmbedData.cmake
foreach(variable INPUT OUTPUT FUNCTION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "EmbedData.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
if(hex_length EQUAL 0)
  message(FATAL_ERROR "EmbedData.cmake: ${INPUT} is empty")
endif()
math(EXPR size "${hex_length} / 2")
# Two hex digits make a byte; a line of the source holds 24 of them.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x[0-9a-f][0-9a-f]," 24 line_of_bytes) # CMake's expressions know no {24}
string(REGEX REPLACE "(${line_of_bytes})" "\\1\n" bytes "${bytes}")

get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new" "// Made at build time by cmake/EmbedData.cmake from ${name}: generated, not to edit.
#include <string_view>

namespace {
const unsigned char Bytes[${size}] = {
${bytes}
};
} // namespace

std::string_view ${FUNCTION}() { return {reinterpret_cast<const char*>(Bytes), sizeof Bytes}; }
")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")

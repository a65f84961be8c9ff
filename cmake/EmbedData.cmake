# Turns a data file into a C++ source that returns its bytes: `std::string_view <FUNCTION>()`.
# Run as a script at build time, so the build needs nothing but CMake:
#   cmake -DINPUT=<data file> -DOUTPUT=<.cpp to write> -DFUNCTION=<name> -P cmake/EmbedData.cmake
# A large binary file (-DINCBIN=ON) is not spelt out in the source: the assembler's .incbin copies it
# into the object, so megabytes build in no time with gcc, clang and mingw alike.
foreach(variable INPUT OUTPUT FUNCTION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "EmbedData.cmake needs -D${variable}=...")
  endif()
endforeach()

get_filename_component(name "${INPUT}" NAME)
if(INCBIN)
  # The file's hash goes into the source, so that a compiler cache sees a changed file.
  file(SHA256 "${INPUT}" hash)
  file(TO_CMAKE_PATH "${INPUT}" input_path)
  set(symbol "legwise_embedded_${FUNCTION}")
  file(WRITE "${OUTPUT}.new" "// Made at build time by cmake/EmbedData.cmake from ${name} (SHA-256 ${hash}):
// generated, not to edit.
#include <string_view>

#if defined(__APPLE__)
#define LEGWISE_SYMBOL(name) \"_\" #name
#define LEGWISE_SECTION \".const_data\"
#define LEGWISE_END_SECTION \".text\"
#elif defined(_WIN32)
#define LEGWISE_SYMBOL(name) #name
#define LEGWISE_SECTION \".section .rdata,\\\"dr\\\"\"
#define LEGWISE_END_SECTION \".text\"
#else
#define LEGWISE_SYMBOL(name) #name
#define LEGWISE_SECTION \".section .rodata\"
#define LEGWISE_END_SECTION \".text\"
#endif

// NOLINTNEXTLINE(hicpp-no-assembler)
__asm__(LEGWISE_SECTION \"\\n\"
        \".balign 16\\n\"
        \".globl \" LEGWISE_SYMBOL(${symbol}_begin) \"\\n\"
        LEGWISE_SYMBOL(${symbol}_begin) \":\\n\"
        \".incbin \\\"${input_path}\\\"\\n\"
        \".globl \" LEGWISE_SYMBOL(${symbol}_end) \"\\n\"
        LEGWISE_SYMBOL(${symbol}_end) \":\\n\"
        LEGWISE_END_SECTION \"\\n\");

extern \"C\" const char ${symbol}_begin[];
extern \"C\" const char ${symbol}_end[];

std::string_view ${FUNCTION}() { return {${symbol}_begin, static_cast<size_t>(${symbol}_end - ${symbol}_begin)}; }
")
  file(RENAME "${OUTPUT}.new" "${OUTPUT}")
  return()
endif()

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

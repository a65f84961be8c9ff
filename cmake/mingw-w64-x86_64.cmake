# Cross-building for 64-bit Windows with Debian's mingw-w64 (POSIX threads), e.g.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DCMAKE_PREFIX_PATH=<Qt for mingw> -DQT_HOST_PATH=/usr \
#         -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
# Libraries and packages are looked up in the mingw-w64 sysroot and in the folders of
# CMAKE_PREFIX_PATH only, never on the build machine; programs (moc, rcc, uic) on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LEGWISE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LEGWISE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LEGWISE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LEGWISE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LEGWISE_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross toolchain: 64-bit Windows. Only for testing on machines that cannot run
# 32-bit code; the program ships as i686.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

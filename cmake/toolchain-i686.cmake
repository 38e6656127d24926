# Cross build for i686 Windows with the mingw-w64 posix-thread compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)
# The prefixes in CMAKE_PREFIX_PATH (the libraries scripts/setup.sh built) are roots too: with
# the modes below, find_* looks only below a root, and would otherwise look for them below
# /usr/i686-w64-mingw32.
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# pkg-config reads the target's .pc files only (Debian's mingw-w64 packages and, through
# CMAKE_PREFIX_PATH, the prefixes), never the build machine's own.
set(ENV{PKG_CONFIG_LIBDIR} /usr/i686-w64-mingw32/lib/pkgconfig)

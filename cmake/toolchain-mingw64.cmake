# Cross build for Windows x64 with Debian's mingw-w64 (posix thread model, for std::thread and
# std::mutex). The C and C++ runtimes and winpthread are linked statically, so every DLL and EXE
# imports only Windows system DLLs and its siblings: copying the folder is the installation.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTREL_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(KESTREL_MINGW_CXX ${KESTREL_MINGW_TRIPLE}-g++-posix)
if(NOT KESTREL_MINGW_CXX)
  message(FATAL_ERROR "${KESTREL_MINGW_TRIPLE}-g++-posix is not installed: "
                      "scripts/bootstrap installs the cross compiler and wine")
endif()
set(CMAKE_C_COMPILER ${KESTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_ASM_COMPILER ${KESTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_RC_COMPILER ${KESTREL_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${KESTREL_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${KESTREL_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

# -static makes the linker take libgcc, libstdc++ and libwinpthread from their archives; the
# system DLLs still come through their import libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Windows programs (the tests, the design generator at build time) run through wine.
find_program(KESTREL_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTREL_WINE})

set(CMAKE_FIND_ROOT_PATH /usr/${KESTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not offer the build machine's libraries to the cross build.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${KESTREL_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

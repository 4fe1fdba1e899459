# Cross-building the Windows program (64-bit) with Debian's mingw-w64, posix
# thread model:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# scripts/build-windows.sh does this and more.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FRAGTALLY_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${FRAGTALLY_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FRAGTALLY_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER  ${FRAGTALLY_MINGW}-windres)
set(CMAKE_AR           /usr/bin/${FRAGTALLY_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${FRAGTALLY_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

# Headers and libraries from the mingw sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${FRAGTALLY_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe each: libstdc++, libgcc and winpthread are linked
# in, so nothing but the system's DLLs is imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the .exe files through Wine.
find_program(FRAGTALLY_WINE wine)
if(FRAGTALLY_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FRAGTALLY_WINE})
endif()

# Toolchain for 64-bit Windows: Debian's x86_64-w64-mingw32 compilers, posix
# threads variant, linked fully static so kivo.exe and the test programs run
# on Windows and under 64-bit Wine without any DLL beside the system ones.
# 64-bit because some build machines refuse 32-bit programs outright, and
# 32-bit Wine cannot start there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(KIVO_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix variant: std::thread and std::mutex need winpthreads, which the
# win32 variant lacks.
set(CMAKE_C_COMPILER ${KIVO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIVO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KIVO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KIVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static pulls libgcc, libstdc++ and libwinpthread in as archives: without it
# the programs ask for libstdc++-6.dll and libwinpthread-1.dll at start.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# ctest (and gtest discovery, should anyone use it) starts the .exe files
# through Wine; the wrapper keeps a private prefix inside the build tree.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(_kivo_scripts "${CMAKE_CURRENT_LIST_DIR}/../scripts" ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_kivo_scripts}/wine-run.sh)
endif()

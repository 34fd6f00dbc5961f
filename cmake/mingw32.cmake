# Cross build for 32-bit Windows with MinGW-w64 on Linux. The programs and
# their tests run under Wine through wine-run.sh, which gives them a Wine
# prefix of their own under the build folder and the Japanese code page.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(PLOTMERE_MINGW_TRIPLE i686-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of Debian's MinGW-w64 lacks. The programs link winpthread statically, so
# no DLL comes with it.
find_program(CMAKE_C_COMPILER NAMES ${PLOTMERE_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${PLOTMERE_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PLOTMERE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PLOTMERE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)

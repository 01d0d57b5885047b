# The posix thread model, the one GoogleTest builds with. The program
# itself starts no thread and links its runtime statically, so it imports no
# libwinpthread.
set(CMAKE_C_COMPILER ${TOLVIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVIK_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

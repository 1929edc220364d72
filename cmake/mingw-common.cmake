# Shared part of the MinGW-w64 toolchain files.  The posix thread model is
# the one GoogleTest needs; linking statically keeps its runtime inside.
find_program(CMAKE_C_COMPILER NAMES ${KX_TRIPLE}-gcc-posix ${KX_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KX_TRIPLE}-g++-posix ${KX_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KX_TRIPLE}-windres windres REQUIRED)
set(CMAKE_FIND_ROOT_PATH /usr/${KX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_C_COMPILER ${TOLVANE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVANE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVANE_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# One self-contained executable: no libstdc++, libgcc or winpthread DLLs beside it. Only the
# program is optimised at link time (its own link options); the test programs link the machine
# code of the objects, as gcc 12 stops with an internal error optimising them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--gc-sections -fno-lto")
# Each function and datum in a section of its own, so the linker drops what nothing calls. The
# objects carry their intermediate code for the link-time optimisation beside their machine code.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections -flto -ffat-lto-objects")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections -flto -ffat-lto-objects")

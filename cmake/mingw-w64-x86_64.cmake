# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (packages
# g++-mingw-w64-x86-64-posix and mingw-w64-tools):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The -posix compilers are the ones with std::thread and std::mutex; the
# win32-threads flavour lacks them. The runtime (libgcc, libstdc++,
# winpthread) is linked statically, so the programs and DLLs need only
# the DLLs every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VESPER_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VESPER_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESPER_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VESPER_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW sysroot only; the build
# machine's programs are still found on its own PATH.
set(CMAKE_FIND_ROOT_PATH /usr/${VESPER_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static takes libgcc, libstdc++ and winpthread from their archives, for
# programs and DLLs alike. A DLL without export declarations exports all its
# symbols; the runtime's own stay out, or a program linking the DLL gets
# them twice (_Unwind_Resume and the like).
set(VESPER_MINGW_RUNTIME_ARCHIVES libgcc.a:libgcc_eh.a:libstdc++.a:libwinpthread.a:libmingwex.a:libmingw32.a)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -Wl,--exclude-libs,${VESPER_MINGW_RUNTIME_ARCHIVES}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -Wl,--exclude-libs,${VESPER_MINGW_RUNTIME_ARCHIVES}")

# Tests and build-time helpers run under Wine unless the caller names
# another runner (or none) on the command line. The launcher starts a
# program once more when Wine failed to start it (it happens under load).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(VESPER_WINE_PROGRAM NAMES wine wine64)
  if(VESPER_WINE_PROGRAM)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test-launcher.sh ${VESPER_WINE_PROGRAM})
  endif()
endif()

# What a Windows build (cross-built with MinGW-w64, see mingw-w64-x86_64.cmake)
# takes from elsewhere, since Debian packages these libraries only for Linux:
# SQLite for the emulation from an amalgamation folder, GoogleTest from its
# sources, and the header-only JSON reader of the end-to-end tests.

# Every program and DLL in one folder, so that the programs find the
# emulation's DLL beside them, as they will in the release archive.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The folder holding sqlite3.c and sqlite3.h; scripts/windows-build.sh
# fetches a pinned one and checks its hash.
set(VESPER_SQLITE_AMALGAMATION "" CACHE PATH "Folder with the SQLite amalgamation (sqlite3.c, sqlite3.h)")
if(NOT EXISTS ${VESPER_SQLITE_AMALGAMATION}/sqlite3.c OR NOT EXISTS ${VESPER_SQLITE_AMALGAMATION}/sqlite3.h)
  message(FATAL_ERROR "No SQLite amalgamation in '${VESPER_SQLITE_AMALGAMATION}': "
                      "set VESPER_SQLITE_AMALGAMATION, or build with scripts/windows-build.sh, which fetches it")
endif()
add_library(vesper_sqlite3 STATIC ${VESPER_SQLITE_AMALGAMATION}/sqlite3.c)
target_include_directories(vesper_sqlite3 SYSTEM PUBLIC ${VESPER_SQLITE_AMALGAMATION})
# Column metadata: the emulation describes query columns by their origin,
# as Debian's libsqlite3 allows.
target_compile_definitions(vesper_sqlite3 PUBLIC SQLITE_ENABLE_COLUMN_METADATA
                           PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION)
# SQLite's own code is not ours to warn about.
set_source_files_properties(${VESPER_SQLITE_AMALGAMATION}/sqlite3.c PROPERTIES COMPILE_OPTIONS -w)
add_library(SQLite::SQLite3 ALIAS vesper_sqlite3)

if(VESPER_TESTS)
  set(VESPER_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian: googletest)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VESPER_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # GoogleTest's own CMakeLists names them GTest::gtest and GTest::gtest_main.
  # The test lists are read when ctest runs, under the emulator, not at
  # every build.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

  # nlohmann/json is header-only; the host's copy serves, without the rest
  # of the host's /usr/include.
  set(vesper_host_headers ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${vesper_host_headers})
  file(CREATE_LINK /usr/include/nlohmann ${vesper_host_headers}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${vesper_host_headers})
  set(nlohmann_json_FOUND TRUE)
endif()

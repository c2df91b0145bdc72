# Settings of the Windows build (cross-built with cmake/mingw-w64-x86_64.cmake;
# scripts/build-windows). SDL2 and libpng come from scripts/build-windows-deps
# (LM_WINDOWS_PREFIXES); zlib from Debian's libz-mingw-w64-dev. lmtool, the
# benchmarks and the fuzzers stay Linux-only.
set(LM_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(LM_BUILD_FUZZ OFF CACHE BOOL "" FORCE)

# One self-contained program beside SDL2.dll: the C and C++ run-times and
# winpthread are linked in.
add_link_options(-static)
# Windows' own headers: no min/max macros, the wide-character API by default.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)

# Known folders (Pictures, AppData).
set(LM_SYSTEM_LIBS shell32 ole32)

find_package(PNG REQUIRED)
set(LM_PNG PNG::PNG)
find_package(SDL2 REQUIRED CONFIG)
# The same target name as the Linux build's pkg-config module.
add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2)

# CLI11 is header-only: its folder alone is taken from the machine's headers
# (never /usr/include itself).
if(NOT EXISTS /usr/include/CLI/CLI.hpp)
  message(FATAL_ERROR "CLI11's headers are missing (Debian package libcli11-dev)")
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11)
file(CREATE_LINK /usr/include/CLI ${CMAKE_BINARY_DIR}/cli11/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 INTERFACE ${CMAKE_BINARY_DIR}/cli11)

# Settings of the browser build (configured with emcmake; scripts/build-web).
# There is no libpng here: PNG files are left out of the platform library
# (html5/PngUnavailable.cpp says so). CLI11 is header-only: its folder alone
# is taken from the machine's headers. CLI11 reports errors by exception, so
# the code is built with WebAssembly exceptions.
set(LM_EXCLUDE_SOURCES "/platform/Png\\.cpp$")
set(LM_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(LM_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(LM_BUILD_FUZZ OFF CACHE BOOL "" FORCE)

find_path(LM_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT LM_CLI11_INCLUDE)
  message(FATAL_ERROR "CLI11's headers are missing (Debian package libcli11-dev)")
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11)
file(CREATE_LINK ${LM_CLI11_INCLUDE}/CLI ${CMAKE_BINARY_DIR}/cli11/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 INTERFACE ${CMAKE_BINARY_DIR}/cli11)

add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions)

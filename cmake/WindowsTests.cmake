# The tests that apply to Windows, cross-built; scripts/test-windows runs them
# under wine. The tests of folders that need lmtool's libraries (FreeType,
# libsndfile: Linux-only) and the end-to-end tests (which start the Linux
# programs) are left out; tests/windows/ adds Windows' own cases.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Test files written against POSIX calls throughout (FIFOs, symbolic links,
# signals, fork, rlimits): their Windows counterparts are in tests/windows/.
set(LM_POSIX_ONLY_TESTS
  platform/error_log_test.cpp
  platform/ini_test.cpp
  platform/output_file_test.cpp
  platform/kept_file_test.cpp
  platform/stop_signals_test.cpp
  graphics/pf1_source_test.cpp
  save/story_id_test.cpp)

file(GLOB support_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(lm_testsupport STATIC ${support_srcs})
target_include_directories(lm_testsupport PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(lm_testsupport PUBLIC lm_platform lm_shell PNG::PNG)
target_compile_definitions(lm_testsupport PRIVATE LM_DEFAULT_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}"
  LM_DEFAULT_BINARY_DIR="Z:${CMAKE_BINARY_DIR}")
# The tests' few environment calls (setenv, unsetenv) on Windows' terms.
target_compile_options(lm_testsupport PUBLIC -include ${CMAKE_SOURCE_DIR}/tests/windows/PosixEnv.h)

set(lm_wine_tests)
function(lm_wine_test dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  foreach(skip ${LM_POSIX_ONLY_TESTS})
    list(REMOVE_ITEM srcs ${CMAKE_SOURCE_DIR}/tests/${skip})
  endforeach()
  add_executable(test_${dir} ${srcs})
  target_link_libraries(test_${dir} PRIVATE lm_testsupport ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  set(lm_wine_tests ${lm_wine_tests} test_${dir} PARENT_SCOPE)
endfunction()

lm_wine_test(platform lm_platform)
lm_wine_test(shell lm_shell)
lm_wine_test(graphics lm_graphics)
lm_wine_test(sound lm_sound)
lm_wine_test(diagnostics lm_diagnostics)
lm_wine_test(save lm_save)
lm_wine_test(settings lm_settings)
lm_wine_test(web lm_platform_web)
lm_wine_test(windows lm_app)
add_custom_target(wine_tests DEPENDS ${lm_wine_tests})

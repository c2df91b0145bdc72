# lm_library(NAME DIR DEPS...): a static library of every .cpp directly in DIR.
# A folder with no sources yet becomes an interface library, so that
# dependents configure while a subsystem is still being written.
function(lm_library name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  # A program's entry point never goes into a library.
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  # One operating system's half of a platform service: FooPosix.cpp and
  # FooWindows.cpp sit side by side; each build takes its own.
  if(LM_WINDOWS)
    list(FILTER srcs EXCLUDE REGEX "Posix\\.cpp$")
  else()
    list(FILTER srcs EXCLUDE REGEX "Windows\\.cpp$")
  endif()
  # Sources a build leaves out (the browser build has no libpng).
  if(LM_EXCLUDE_SOURCES)
    list(FILTER srcs EXCLUDE REGEX "${LM_EXCLUDE_SOURCES}")
  endif()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# lm_test_dir(DIR DEPS...): one GoogleTest executable per tests/ subfolder.
function(lm_test_dir dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(srcs)
    add_executable(test_${dir} ${srcs})
    target_link_libraries(test_${dir} PRIVATE lm_testsupport ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
    # The source and build trees are compiled into lm_testsupport; tests never
    # open a real window or audio device.
    gtest_discover_tests(test_${dir} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy"
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

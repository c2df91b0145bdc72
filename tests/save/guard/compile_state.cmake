# Compiles uses_state.cpp against copies of the state headers, with one
# member added to an aggregate when CASE names one (control: unchanged).
# Run with -DCXX= -DSRC= -DOUT= -DCASE=control|values|snapshot|step.
cmake_minimum_required(VERSION 3.16)
file(MAKE_DIRECTORY ${OUT}/save)
file(READ ${SRC}/save/StorySnapshot.h snapshot)
if(CASE STREQUAL "values")
  set(anchor "      theta = 0, size = 0, scrX = 0, scrY = 0, zoom = 0, apearmode = 0, scroll = 0;")
  set(added "${anchor}\n  int addedButNotDescribed = 0;")
elseif(CASE STREQUAL "snapshot")
  set(anchor "  LoopPhase timing;")
  set(added "${anchor}\n  int addedButNotDescribed = 0;")
elseif(CASE STREQUAL "voice")
  set(anchor "  int32_t offset = 0;  // bytes of the clip already mixed")
  set(added "${anchor}\n  int addedButNotDescribed = 0;")
endif()
if(DEFINED anchor)
  string(FIND "${snapshot}" "${anchor}" at)
  if(at EQUAL -1)
    # Nothing to add: succeed, so that the expected failure does not happen
    # and the test shows that it no longer tests anything.
    message("the anchor for case ${CASE} is no longer in save/StorySnapshot.h")
    return()
  endif()
  string(REPLACE "${anchor}" "${added}" snapshot "${snapshot}")
endif()
file(WRITE ${OUT}/save/StorySnapshot.h "${snapshot}")
configure_file(${SRC}/save/StoryState.h ${OUT}/save/StoryState.h COPYONLY)
execute_process(
  COMMAND ${CXX} -std=c++17 -fsyntax-only -I${OUT} -I${SRC} ${SRC}/tests/save/guard/uses_state.cpp
  RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "does not compile (${CASE}):\n${errors}")
endif()

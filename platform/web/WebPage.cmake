# The player's web page: LM_WEB_OUT gets index.html, lmplayer-page.js,
# lmplayer.js, lmplayer.wasm and lmplayer.data (the story in LM_WEB_DATA,
# mounted at /demo). Any static web server can serve the folder.
set(LM_WEB_DATA "" CACHE PATH "the story to package (a native build's demo-data)")
set(LM_WEB_OUT ${CMAKE_BINARY_DIR}/site CACHE PATH "where the page is written")
set(LM_WEB_ICON "" CACHE FILEPATH "the page's icon (a native build's icons/64x64/lmplayer.png)")
if(NOT EXISTS "${LM_WEB_DATA}/kirune.ini")
  message(FATAL_ERROR "LM_WEB_DATA must name a story folder with kirune.ini (got '${LM_WEB_DATA}')")
endif()

lm_library(lm_platform_html5 platform/web/html5 lm_platform_web lmcore)
add_executable(lmplayer ${CMAKE_SOURCE_DIR}/app/web/main.cpp)
target_link_libraries(lmplayer PRIVATE lm_platform_html5 lmcore)
set_target_properties(lmplayer PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${LM_WEB_OUT})

file(GLOB_RECURSE story_files CONFIGURE_DEPENDS ${LM_WEB_DATA}/*)
list(FILTER story_files EXCLUDE REGEX "/error\\.log$")
target_link_options(lmplayer PRIVATE
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sEXIT_RUNTIME=0
  -sLZ4=1
  -sEXPORTED_RUNTIME_METHODS=FS
  -lidbfs.js
  "SHELL:--preload-file ${LM_WEB_DATA}@/demo"
  "SHELL:--exclude-file *error.log")
set_property(TARGET lmplayer APPEND PROPERTY LINK_DEPENDS ${story_files})

set(page_files index.html lmplayer-page.js)
set(page_out)
foreach(f ${page_files})
  add_custom_command(OUTPUT ${LM_WEB_OUT}/${f}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/platform/web/page/${f} ${LM_WEB_OUT}/${f}
    DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/page/${f}
    VERBATIM)
  list(APPEND page_out ${LM_WEB_OUT}/${f})
endforeach()
if(EXISTS "${LM_WEB_ICON}")
  add_custom_command(OUTPUT ${LM_WEB_OUT}/icon.png
    COMMAND ${CMAKE_COMMAND} -E copy ${LM_WEB_ICON} ${LM_WEB_OUT}/icon.png
    DEPENDS ${LM_WEB_ICON}
    VERBATIM)
  list(APPEND page_out ${LM_WEB_OUT}/icon.png)
endif()
add_custom_target(web_page ALL DEPENDS ${page_out})

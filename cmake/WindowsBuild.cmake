# What the Windows build makes: lmplayer.exe with its icon, SDL2.dll beside
# it and the demo story, zipped as lmplayer-<version>-windows-x64.zip
# (target windows_zip); with LM_BUILD_TESTS, the tests that apply to Windows,
# run under wine by scripts/test-windows.
set(LM_WINDOWS_DATA "" CACHE PATH "the demo story to ship (a native build's demo-data)")
set(LM_WINDOWS_ICON "" CACHE FILEPATH "the program's icon (a native build's icons/lmplayer.ico)")
set(LM_WINDOWS_OUT ${CMAKE_BINARY_DIR}/.. CACHE PATH "where the zip and its unpacked folder are written")

configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/lmplayer.rc.in ${CMAKE_BINARY_DIR}/lmplayer.rc @ONLY)
set(rc)
if(EXISTS "${LM_WINDOWS_ICON}")
  set(rc ${CMAKE_BINARY_DIR}/lmplayer.rc)
endif()
# A window program: double-clicked, no console opens (platform/ProcessStart
# joins the console of a command line that starts it).
add_executable(lmplayer WIN32 app/main.cpp ${rc})
target_link_libraries(lmplayer PRIVATE lmcore lm_platform_sdl)
target_link_options(lmplayer PRIVATE -s)
add_custom_command(TARGET lmplayer POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:SDL2::SDL2> $<TARGET_FILE_DIR:lmplayer>)

set(LM_WINDOWS_NAME lmplayer-${PROJECT_VERSION}-windows-x64)
set(dist ${LM_WINDOWS_OUT}/${LM_WINDOWS_NAME})
if(EXISTS "${LM_WINDOWS_DATA}/kirune.ini")
  file(GLOB story_files CONFIGURE_DEPENDS ${LM_WINDOWS_DATA}/*.ini ${LM_WINDOWS_DATA}/*.BIN ${LM_WINDOWS_DATA}/*.PF1
    ${LM_WINDOWS_DATA}/*.PCM ${LM_WINDOWS_DATA}/*.FON)
  add_custom_command(OUTPUT ${LM_WINDOWS_OUT}/${LM_WINDOWS_NAME}.zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${dist}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dist}/demo-data
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:lmplayer> $<TARGET_FILE:SDL2::SDL2> ${dist}
    COMMAND ${CMAKE_COMMAND} -E copy ${story_files} ${dist}/demo-data
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/windows/README-windows.txt ${dist}/README.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/demo/LICENSE ${dist}/demo-license.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSES/shinonome-font.txt ${dist}
    COMMAND ${CMAKE_COMMAND} -E copy ${SDL2_DIR}/../../../share/licenses/SDL2/LICENSE.txt ${dist}/SDL2-license.txt
    COMMAND ${CMAKE_COMMAND} -E chdir ${LM_WINDOWS_OUT} ${CMAKE_COMMAND} -E tar cf ${LM_WINDOWS_NAME}.zip --format=zip ${LM_WINDOWS_NAME}
    DEPENDS lmplayer ${story_files} ${CMAKE_SOURCE_DIR}/packaging/windows/README-windows.txt
    COMMENT "Packing ${LM_WINDOWS_NAME}.zip"
    VERBATIM)
  add_custom_target(windows_zip ALL DEPENDS ${LM_WINDOWS_OUT}/${LM_WINDOWS_NAME}.zip)
endif()

if(LM_BUILD_TESTS)
  include(cmake/WindowsTests.cmake)
endif()

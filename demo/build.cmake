# Turns the demo story's sources (demo/) into the player's data directory
# ${CMAKE_BINARY_DIR}/demo-data, with lmtool:
#   kirune.ini EVENT.BIN ASTARTUP.BIN   <- story/kirune.story        (story build)
#   LOGO01 LOGO02 TITLE00 SYS011 SYS020 <- art/*.png                 (pf1 encode)
#   ev/Exxx.PF1                         <- art/ev/*.png               (pf1 encode)
#   face/FACEccee.PF1                   <- art/face/FACEccee/*.png    (7 layers)
#   SYS01.PCM                           <- sound/sys/SE00..SE11.wav   (bank pack, 11025 Hz)
#   voice/KIxxx.PCM                     <- sound/voice/KIxxx-NN.flac  (bank pack, FREQ)
#   FONT.FON                            <- the Shinonome bitmap fonts (font build)
# The directory keys written by the story script (sysdir, evdir, facedir,
# pcmdir) must match the folders used here.

set(DEMO_SRC ${CMAKE_CURRENT_LIST_DIR})
set(DEMO_OUT ${CMAKE_BINARY_DIR}/demo-data)
set(DEMO_VOICE_RATE 22050)   # the story's "freq"
set(DEMO_SYSTEM_RATE 11025)  # system sounds always play at this rate

# lmtool's subcommands arrive one by one; a step is added only when the
# command it needs is there, so the rest of the tree always builds.
function(demo_has_command name out)
  file(GLOB cmd_files ${CMAKE_SOURCE_DIR}/tools/cmd_*.cpp)
  set(found FALSE)
  foreach(f ${cmd_files})
    # a command's usage lines start with two blanks and its name
    file(STRINGS ${f} hits REGEX "\"  ${name} ")
    if(hits)
      set(found TRUE)
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

demo_has_command(story HAVE_STORY)
demo_has_command(pf1 HAVE_PF1)
demo_has_command(bank HAVE_BANK)
demo_has_command(font HAVE_FONT)

set(LMTOOL $<TARGET_FILE:lmtool>)
set(demo_outputs)

# ---- pictures
# demo_picture(OUT.PF1 IN.png...): one block per PNG (two for the 480-row
# picture, seven for a face).
function(demo_picture out)
  get_filename_component(dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${LMTOOL} pf1 encode ${out} ${ARGN}
    DEPENDS lmtool ${ARGN}
    VERBATIM)
  set(demo_outputs ${demo_outputs} ${out} PARENT_SCOPE)
endfunction()

if(HAVE_PF1)
  foreach(name LOGO01 LOGO02 TITLE00 SYS011 SYS020)
    demo_picture(${DEMO_OUT}/${name}.PF1 ${DEMO_SRC}/art/${name}.png)
  endforeach()
  foreach(name E000 E001 E002 E003 E004 E006 E007)
    demo_picture(${DEMO_OUT}/ev/${name}.PF1 ${DEMO_SRC}/art/ev/${name}.png)
  endforeach()
  # the night sky, 320 x 480: upper half, then lower half
  demo_picture(${DEMO_OUT}/ev/E005.PF1 ${DEMO_SRC}/art/ev/E005a.png ${DEMO_SRC}/art/ev/E005b.png)
  foreach(name FACE0100 FACE0101 FACE0200 FACE0201)
    set(layers)
    foreach(layer 0-base 1-mouth0 2-mouth1 3-mouth2 4-eyes0 5-eyes1 6-eyes2)
      list(APPEND layers ${DEMO_SRC}/art/face/${name}/${layer}.png)
    endforeach()
    demo_picture(${DEMO_OUT}/face/${name}.PF1 ${layers})
  endforeach()
endif()

# ---- sound banks
if(HAVE_BANK)
  set(sys_clips)
  foreach(n 00 01 02 03 04 05 06 07 08 09 10 11)
    list(APPEND sys_clips ${DEMO_SRC}/sound/sys/SE${n}.wav)
  endforeach()
  add_custom_command(OUTPUT ${DEMO_OUT}/SYS01.PCM
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_OUT}
    COMMAND ${LMTOOL} bank pack ${DEMO_OUT}/SYS01.PCM --rate ${DEMO_SYSTEM_RATE} ${sys_clips}
    DEPENDS lmtool ${sys_clips}
    VERBATIM)
  list(APPEND demo_outputs ${DEMO_OUT}/SYS01.PCM)

  # voice/KIxxx.PCM from sound/voice/KIxxx-NN.flac, clips in NN order
  file(GLOB voice_clips ${DEMO_SRC}/sound/voice/KI*-*.flac)
  list(SORT voice_clips)
  set(banks)
  foreach(clip ${voice_clips})
    get_filename_component(stem ${clip} NAME_WE)
    string(SUBSTRING ${stem} 0 5 bank)
    list(APPEND banks ${bank})
    list(APPEND clips_${bank} ${clip})
  endforeach()
  list(REMOVE_DUPLICATES banks)
  foreach(bank ${banks})
    add_custom_command(OUTPUT ${DEMO_OUT}/voice/${bank}.PCM
      COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_OUT}/voice
      COMMAND ${LMTOOL} bank pack ${DEMO_OUT}/voice/${bank}.PCM --rate ${DEMO_VOICE_RATE} ${clips_${bank}}
      DEPENDS lmtool ${clips_${bank}}
      VERBATIM)
    list(APPEND demo_outputs ${DEMO_OUT}/voice/${bank}.PCM)
  endforeach()
endif()

# ---- font: the tree already makes FONT.FON (target font_fon); copy it, or
# build it here with lmtool when that target is absent.
set(shared_font ${CMAKE_BINARY_DIR}/fonts/FONT.FON)
if(TARGET font_fon)
  add_custom_command(OUTPUT ${DEMO_OUT}/FONT.FON
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_OUT}
    COMMAND ${CMAKE_COMMAND} -E copy ${shared_font} ${DEMO_OUT}/FONT.FON
    DEPENDS font_fon ${shared_font}
    VERBATIM)
  list(APPEND demo_outputs ${DEMO_OUT}/FONT.FON)
elseif(HAVE_FONT)
  add_custom_command(OUTPUT ${DEMO_OUT}/FONT.FON
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_OUT}
    COMMAND ${LMTOOL} font build ${DEMO_OUT}/FONT.FON
    DEPENDS lmtool
    COMMENT "demo: FONT.FON from the Shinonome bitmap fonts"
    VERBATIM)
  list(APPEND demo_outputs ${DEMO_OUT}/FONT.FON)
endif()

# ---- story: kirune.ini, EVENT.BIN, ASTARTUP.BIN. Built last: the build ends
# by checking the story against every other file of the directory.
if(HAVE_STORY)
  set(script ${DEMO_SRC}/story/kirune.story)
  set(story_out ${DEMO_OUT}/kirune.ini ${DEMO_OUT}/EVENT.BIN ${DEMO_OUT}/ASTARTUP.BIN)
  add_custom_command(OUTPUT ${story_out}
    COMMAND ${LMTOOL} story build ${script} ${DEMO_OUT}
    DEPENDS lmtool ${script} ${demo_outputs}
    COMMENT "demo: story script -> EVENT.BIN, ASTARTUP.BIN, kirune.ini"
    VERBATIM)
  list(APPEND demo_outputs ${story_out})
endif()

add_custom_target(demo_data ALL DEPENDS ${demo_outputs})
if(TARGET font_fon)
  add_dependencies(demo_data font_fon)
endif()

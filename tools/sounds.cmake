# Our sounds, made at build time by tools/make-sounds with sox and oggenc
# (tools/setup installs both): the effects under assets/sfx, the audience beds
# under assets/sfx/audience and the music cues under assets/music. They go
# into the build's copy of assets/, never into the source tree.
find_program(QUILLORY_SOX sox)
find_program(QUILLORY_OGGENC oggenc)
if(NOT QUILLORY_SOX OR NOT QUILLORY_OGGENC)
  message(FATAL_ERROR "sox and oggenc not found: install sox and vorbis-tools (tools/setup does)")
endif()

set(sound_names
  sfx/ButtonPush sfx/rollover sfx/reveal_question sfx/flunk_out
  sfx/sfx_typing_01 sfx/sfx_typing_02 sfx/sfx_typing_03 sfx/sfx_typing_04
  sfx/correct sfx/wrong sfx/lock_in
  sfx/audience/applause_light_10_sec sfx/audience/applause_medium_6_sec
  sfx/audience/applause_heavy_6_sec sfx/audience/applause_heavy_15_sec
  sfx/audience/applause_heavy_16_sec sfx/audience/applause_heavy_30_sec
  sfx/audience/awww_5_sec sfx/audience/coaxing_7_sec
  music/intro_18s music/question music/theme music/millionq music/coldopen_dv music/playdv)
set(sound_files)
foreach(name ${sound_names})
  list(APPEND sound_files ${CMAKE_BINARY_DIR}/assets/${name}.ogg)
endforeach()
add_custom_command(OUTPUT ${sound_files}
  COMMAND ${CMAKE_SOURCE_DIR}/tools/make-sounds ${CMAKE_BINARY_DIR}/assets
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-sounds
  COMMENT "Making the sounds")
add_custom_target(sounds ALL DEPENDS ${sound_files})

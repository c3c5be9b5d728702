# The show's voice lines and the voice-over table, spoken at build time by
# tools/make-voices.py with espeak-ng, sox and oggenc (tools/setup installs
# them) from tools/vo-script.xml and the spoken questions of
# assets/questions.xml, into the build's assets/vo folder. A line that has
# not changed is not spoken again (its record is in voices-work/). See
# docs/voices.md.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(voices_script ${CMAKE_SOURCE_DIR}/tools/make-voices.py)
set(voices_inputs ${voices_script} ${CMAKE_SOURCE_DIR}/tools/vo-script.xml
  ${CMAKE_SOURCE_DIR}/assets/questions.xml ${CMAKE_SOURCE_DIR}/tools/assetgen/voices.py
  ${CMAKE_SOURCE_DIR}/tools/assetgen/outfiles.py)
# The list of files follows the script and the questions.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${voices_inputs})
execute_process(COMMAND ${Python3_EXECUTABLE} ${voices_script} --list
  OUTPUT_VARIABLE voice_names RESULT_VARIABLE voices_result)
if(NOT voices_result EQUAL 0)
  message(FATAL_ERROR "${voices_script} --list failed")
endif()
string(REGEX REPLACE "\n$" "" voice_names "${voice_names}")
string(REPLACE "\n" ";" voice_names "${voice_names}")
set(voice_files)
foreach(name ${voice_names})
  list(APPEND voice_files ${CMAKE_BINARY_DIR}/assets/${name})
endforeach()
add_custom_command(OUTPUT ${voice_files}
  COMMAND ${Python3_EXECUTABLE} ${voices_script} --work ${CMAKE_BINARY_DIR}/voices-work ${CMAKE_BINARY_DIR}/assets
  DEPENDS ${voices_inputs}
  COMMENT "Speaking the voice lines")
add_custom_target(voices ALL DEPENDS ${voice_files})

# The pictures of the picture questions, drawn at build time by
# tools/make-question-pictures.py into the build's assets/pictures, never
# into the source tree. The generator names its pictures.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(question_pictures_script ${CMAKE_SOURCE_DIR}/tools/make-question-pictures.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${question_pictures_script})
execute_process(COMMAND ${Python3_EXECUTABLE} ${question_pictures_script} --list
  OUTPUT_VARIABLE question_picture_names RESULT_VARIABLE question_pictures_result)
if(NOT question_pictures_result EQUAL 0)
  message(FATAL_ERROR "tools/make-question-pictures.py --list failed")
endif()
string(REGEX REPLACE "\n$" "" question_picture_names "${question_picture_names}")
string(REPLACE "\n" ";" question_picture_names "${question_picture_names}")
set(question_picture_files)
foreach(name ${question_picture_names})
  list(APPEND question_picture_files ${CMAKE_BINARY_DIR}/assets/pictures/${name}.png)
endforeach()
add_custom_command(OUTPUT ${question_picture_files}
  COMMAND ${Python3_EXECUTABLE} ${question_pictures_script} ${CMAKE_BINARY_DIR}/assets/pictures
  DEPENDS ${question_pictures_script} ${CMAKE_SOURCE_DIR}/tools/pngwrite.py
  COMMENT "Drawing the question pictures")
add_custom_target(question_pictures ALL DEPENDS ${question_picture_files})

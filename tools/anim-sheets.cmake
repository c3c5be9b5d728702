# The show's 2D animation sheets and their still images, drawn at build time
# by tools/make-anim-sheets.py (the tools/assetgen package) into the build's
# assets/anim, never into the source tree. The generator names its files.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(anim_sheets_script ${CMAKE_SOURCE_DIR}/tools/make-anim-sheets.py)
file(GLOB anim_sheets_modules CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/*.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${anim_sheets_script})
execute_process(COMMAND ${Python3_EXECUTABLE} ${anim_sheets_script} --list
  OUTPUT_VARIABLE anim_sheet_names RESULT_VARIABLE anim_sheets_result)
if(NOT anim_sheets_result EQUAL 0)
  message(FATAL_ERROR "tools/make-anim-sheets.py --list failed")
endif()
string(REGEX REPLACE "\n$" "" anim_sheet_names "${anim_sheet_names}")
string(REPLACE "\n" ";" anim_sheet_names "${anim_sheet_names}")
set(anim_sheet_files)
foreach(name ${anim_sheet_names})
  list(APPEND anim_sheet_files ${CMAKE_BINARY_DIR}/assets/${name})
endforeach()
add_custom_command(OUTPUT ${anim_sheet_files}
  COMMAND ${Python3_EXECUTABLE} ${anim_sheets_script} ${CMAKE_BINARY_DIR}/assets
  DEPENDS ${anim_sheets_script} ${anim_sheets_modules} ${CMAKE_SOURCE_DIR}/tools/pngwrite.py
  COMMENT "Drawing the animation sheets")
add_custom_target(anim_sheets ALL DEPENDS ${anim_sheet_files})

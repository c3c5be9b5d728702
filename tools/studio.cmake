# The studio set (models, pictures, scene file and the cast's place table),
# made at build time by tools/make-studio.py (the tools/assetgen package)
# into the build's assets folder, never into the source tree.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(studio_script ${CMAKE_SOURCE_DIR}/tools/make-studio.py)
file(GLOB studio_modules CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/*.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${studio_script}
  ${CMAKE_SOURCE_DIR}/tools/assetgen/studio_layout.py ${CMAKE_SOURCE_DIR}/tools/assetgen/studio_textures.py)
execute_process(COMMAND ${Python3_EXECUTABLE} ${studio_script} --list
  OUTPUT_VARIABLE studio_names RESULT_VARIABLE studio_result)
if(NOT studio_result EQUAL 0)
  message(FATAL_ERROR "tools/make-studio.py --list failed")
endif()
string(REGEX REPLACE "\n$" "" studio_names "${studio_names}")
string(REPLACE "\n" ";" studio_names "${studio_names}")
set(studio_files)
foreach(name ${studio_names})
  list(APPEND studio_files ${CMAKE_BINARY_DIR}/assets/${name})
endforeach()
add_custom_command(OUTPUT ${studio_files}
  COMMAND ${Python3_EXECUTABLE} ${studio_script} ${CMAKE_BINARY_DIR}/assets
  DEPENDS ${studio_script} ${studio_modules} ${CMAKE_SOURCE_DIR}/tools/pngwrite.py
  COMMENT "Building the studio set")
add_custom_target(studio ALL DEPENDS ${studio_files})

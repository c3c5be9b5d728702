# The cast (the host and the five classmates: .x models, their pictures and
# bone-animation files), made at build time by tools/make-cast.py (the
# tools/assetgen package) into the build's assets folder, and the small .x
# files the model reader's tests load, made by tools/make-x-fixtures.py into
# the build's test-x/ folder. See docs/cast.md.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

file(GLOB cast_modules CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/*.py)

# Runs `script --list` at configure time and gives the files it writes
# under folder.
function(cast_outputs script folder out)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${script} --list
    OUTPUT_VARIABLE names RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${script} --list failed")
  endif()
  string(REGEX REPLACE "\n$" "" names "${names}")
  string(REPLACE "\n" ";" names "${names}")
  set(files)
  foreach(name ${names})
    list(APPEND files ${folder}/${name})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

set(x_fixtures_script ${CMAKE_SOURCE_DIR}/tools/make-x-fixtures.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${x_fixtures_script})
cast_outputs(${x_fixtures_script} ${CMAKE_BINARY_DIR}/test-x x_fixture_files)
add_custom_command(OUTPUT ${x_fixture_files}
  COMMAND ${Python3_EXECUTABLE} ${x_fixtures_script} ${CMAKE_BINARY_DIR}/test-x
  DEPENDS ${x_fixtures_script} ${cast_modules}
  COMMENT "Writing the .x test files")
add_custom_target(x_fixtures ALL DEPENDS ${x_fixture_files})

set(cast_script ${CMAKE_SOURCE_DIR}/tools/make-cast.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${cast_script}
  ${CMAKE_SOURCE_DIR}/tools/assetgen/cast.py ${CMAKE_SOURCE_DIR}/tools/assetgen/cast_looks.py)
cast_outputs(${cast_script} ${CMAKE_BINARY_DIR}/assets cast_files)
add_custom_command(OUTPUT ${cast_files}
  COMMAND ${Python3_EXECUTABLE} ${cast_script} ${CMAKE_BINARY_DIR}/assets
  DEPENDS ${cast_script} ${cast_modules} ${CMAKE_SOURCE_DIR}/tools/pngwrite.py
  COMMENT "Building the cast")
add_custom_target(cast ALL DEPENDS ${cast_files})

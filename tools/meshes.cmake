# The OBJ to .mesh converter (tools/obj2mesh.cpp), and the meshes the render
# tests draw, made with it from tests/render/fixtures/*.obj into the build's
# test-meshes/ folder.
add_executable(obj2mesh ${CMAKE_SOURCE_DIR}/tools/obj2mesh.cpp)
set_target_properties(obj2mesh PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

file(GLOB test_mesh_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/render/fixtures/*.obj)
set(test_mesh_files)
foreach(obj ${test_mesh_sources})
  get_filename_component(name ${obj} NAME_WE)
  set(mesh ${CMAKE_BINARY_DIR}/test-meshes/${name}.mesh)
  add_custom_command(OUTPUT ${mesh}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/test-meshes
    COMMAND obj2mesh ${obj} ${mesh}
    DEPENDS obj2mesh ${obj}
    COMMENT "Making test-meshes/${name}.mesh")
  list(APPEND test_mesh_files ${mesh})
endforeach()
add_custom_target(test_meshes DEPENDS ${test_mesh_files})

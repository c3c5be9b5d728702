# Our vector fonts, made at build time by make_font (tools/make-font.cpp) from
# free faces that Debian packages (tools/setup installs them):
#   the built-in font      generated/render/BuiltinFontData.h (DejaVu Sans)
#   assets/fonts/default.mvec, plain.mvec   DejaVu Sans
#   assets/fonts/bold.mvec                  DejaVu Sans Bold
#   assets/fonts/chalk.mvec                 Comic Neue (handwriting-like)
#   assets/fonts/Centry.mvec, century.mvec  DejaVu Serif Bold (the ladder's amounts, the
#                                           amount a player leaves with)
#   assets/fonts/chalkboard.mvec            Comic Neue Bold (texts on the studio screens)
#   assets/fonts/paltino_linotype.mvec      DejaVu Serif (the voice-over's subtitles)
# They go into the build's copy of assets/, never into the source tree.
find_package(Freetype REQUIRED)

add_executable(make_font ${CMAKE_SOURCE_DIR}/tools/make-font.cpp)
target_link_libraries(make_font PRIVATE Freetype::Freetype)
target_include_directories(make_font PRIVATE ${CMAKE_SOURCE_DIR}/tests)

function(quillory_find_face var file suffix package)
  find_file(${var} ${file} PATHS /usr/share/fonts PATH_SUFFIXES ${suffix} NO_DEFAULT_PATH)
  if(NOT ${var})
    message(FATAL_ERROR "${file} not found: install ${package} (tools/setup does)")
  endif()
endfunction()
quillory_find_face(QUILLORY_FACE_PLAIN DejaVuSans.ttf truetype/dejavu fonts-dejavu-core)
quillory_find_face(QUILLORY_FACE_BOLD DejaVuSans-Bold.ttf truetype/dejavu fonts-dejavu-core)
quillory_find_face(QUILLORY_FACE_CHALK ComicNeue-Regular.otf opentype/comic-neue fonts-comic-neue)
quillory_find_face(QUILLORY_FACE_SERIF DejaVuSerif.ttf truetype/dejavu fonts-dejavu-core)
quillory_find_face(QUILLORY_FACE_SERIF_BOLD DejaVuSerif-Bold.ttf truetype/dejavu fonts-dejavu-core)
quillory_find_face(QUILLORY_FACE_CHALK_BOLD ComicNeue-Bold.otf opentype/comic-neue fonts-comic-neue)

set(builtin_font_header ${CMAKE_BINARY_DIR}/generated/render/BuiltinFontData.h)
add_custom_command(OUTPUT ${builtin_font_header}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated/render
  COMMAND make_font --header kBuiltinFontData ${QUILLORY_FACE_PLAIN} ${builtin_font_header}
  DEPENDS make_font ${QUILLORY_FACE_PLAIN}
  COMMENT "Making the built-in font")
target_sources(quillory_render PRIVATE ${builtin_font_header})

set(font_dir ${CMAKE_BINARY_DIR}/assets/fonts)
set(font_files)
# The show's names, spelled as the game opens them (file names are
# case-sensitive: Centry and century are two files).
foreach(pair "default;PLAIN" "plain;PLAIN" "bold;BOLD" "chalk;CHALK"
             "Centry;SERIF_BOLD" "century;SERIF_BOLD" "chalkboard;CHALK_BOLD"
             "paltino_linotype;SERIF")
  list(GET pair 0 name)
  list(GET pair 1 face)
  add_custom_command(OUTPUT ${font_dir}/${name}.mvec
    COMMAND ${CMAKE_COMMAND} -E make_directory ${font_dir}
    COMMAND make_font ${QUILLORY_FACE_${face}} ${font_dir}/${name}.mvec
    DEPENDS make_font ${QUILLORY_FACE_${face}}
    COMMENT "Making fonts/${name}.mvec")
  list(APPEND font_files ${font_dir}/${name}.mvec)
endforeach()
add_custom_target(fonts ALL DEPENDS ${font_files})

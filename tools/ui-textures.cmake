# The widget textures, made at build time by tools/make-ui-textures.py into
# the build's assets/ui, never into the source tree.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(ui_texture_names
  button_normal button_pressed button_rollover button_on
  check_off check_on radio_off radio_on
  slider_top slider_mid slider_bot slider_thumb slider_thumb_roll
  round_normal round_pressed round_rollover round_mask
  panel title_backdrop
  screen_board screen_picture)
# The show's chalkboard buttons.
list(APPEND ui_texture_names chalk_tile_normal chalk_tile_pressed chalk_tile_rollover chalk_tile_used
  chalk_card_normal chalk_card_pressed chalk_card_rollover)
# The answer windows' boards, choices and help badges.
list(APPEND ui_texture_names answer_board chalk_answer_line help_tray
  chalk_option_off chalk_option_on chalk_option_roll chalk_option_on_roll
  help_peek_normal help_peek_pressed help_peek_rollover help_peek_used
  help_copy_normal help_copy_pressed help_copy_rollover help_copy_used
  help_save_normal help_save_pressed help_save_rollover help_save_used)
# The loading screen's progress bar and its frame.
list(APPEND ui_texture_names loading_bar loading_frame)
set(ui_texture_files)
foreach(name ${ui_texture_names})
  list(APPEND ui_texture_files ${CMAKE_BINARY_DIR}/assets/ui/${name}.png)
endforeach()
add_custom_command(OUTPUT ${ui_texture_files}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make-ui-textures.py ${CMAKE_BINARY_DIR}/assets/ui
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-ui-textures.py ${CMAKE_SOURCE_DIR}/tools/pngwrite.py
          ${CMAKE_SOURCE_DIR}/tools/ui_answer_textures.py ${CMAKE_SOURCE_DIR}/tools/ui_loading_textures.py
  COMMENT "Making the widget textures")
add_custom_target(ui_textures ALL DEPENDS ${ui_texture_files})

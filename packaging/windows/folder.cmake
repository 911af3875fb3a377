# The installable Windows folder, laid out as installed: the window program
# and its window module, the console program, the converter, the base and
# engine DLLs, the dependency DLLs and the mingw runtime DLLs from the
# dependency prefix, gfx\ with the theme and docs\ with the manual. The
# setup program (packaging/windows/pixmera.nsi) is built from it.
#
#   PIXMERA_WINDOWS_FOLDER   the folder (default <build>/folder; `make
#                            windows` fills build/windows/)
#
# Built by the target pixmera_windows_folder; every file is copied only when
# it changed, so a second build touches nothing. Programs and DLLs go in
# without their symbols (packaging/windows/copy-stripped.cmake); the build
# tree keeps them.

set(PIXMERA_WINDOWS_FOLDER ${CMAKE_BINARY_DIR}/folder CACHE PATH
    "The installable Windows folder the build fills")

# The theme, drawn by the artwork program built for the build machine (the
# same one that draws the icon, packaging/windows/resources.cmake).
set(windows_theme ${CMAKE_BINARY_DIR}/gfx/handdrawn.zip)
if(PIXMERA_HOST_DRAW_THEME)
  set(theme_draw ${PIXMERA_HOST_DRAW_THEME})
  set(theme_draw_depends ${PIXMERA_HOST_DRAW_THEME})
else()
  set(theme_draw ${CMAKE_BINARY_DIR}/host-artwork/pixmera_draw_theme)
  set(theme_draw_depends pixmera_host_artwork ${theme_draw})
endif()
add_custom_command(
  OUTPUT ${windows_theme}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gfx ${CMAKE_BINARY_DIR}/host-icons
  COMMAND ${theme_draw} ${windows_theme} ${CMAKE_BINARY_DIR}/host-icons
  DEPENDS ${theme_draw_depends}
  COMMENT "Drawing the handdrawn theme"
  VERBATIM)

# The dependency DLLs and the mingw runtime, as the prefix holds them.
file(GLOB windows_dependency_dlls ${PIXMERA_WINDOWS_DEPS}/bin/*.dll)
# The programs and tests in the build tree's bin\ find them beside them.
file(COPY ${windows_dependency_dlls} DESTINATION ${CMAKE_BINARY_DIR}/bin)

set(folder ${PIXMERA_WINDOWS_FOLDER})
set(window_files)
if(PIXMERA_WINDOWS_WINDOW)
  set(window_files $<TARGET_FILE:pixmera_window_program> $<TARGET_FILE:pixmera_ui>)
endif()
# One argument, "|" between the files: a ";" would split it in the command.
list(APPEND stripped_files $<TARGET_FILE:pixmera> ${window_files} $<TARGET_FILE:pixmera_base_dll>
     $<TARGET_FILE:pixmera_engine_module> $<TARGET_FILE:pixmera_convert> ${windows_dependency_dlls})
list(JOIN stripped_files "|" stripped_files)
add_custom_target(pixmera_windows_folder ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/gfx ${folder}/docs
  COMMAND ${CMAKE_COMMAND} -DSTRIP=${CMAKE_STRIP} -DSTAGING=${CMAKE_BINARY_DIR}/stripped
          -DDESTINATION=${folder}
          "-DFILES=${stripped_files}"
          -P ${CMAKE_CURRENT_LIST_DIR}/copy-stripped.cmake
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${windows_theme} ${folder}/gfx/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/docs/manual.html
          ${folder}/docs/
  DEPENDS ${windows_theme}
  COMMENT "Filling the installable folder ${folder}"
  VERBATIM)
add_dependencies(pixmera_windows_folder pixmera pixmera_base_dll pixmera_engine_module
                 pixmera_convert)
if(PIXMERA_WINDOWS_WINDOW)
  add_dependencies(pixmera_windows_folder pixmera_window_program pixmera_ui)
endif()

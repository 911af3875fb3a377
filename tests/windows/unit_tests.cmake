# The unit tests of the Windows build, run under wine by CTest (the
# toolchain file makes wine the emulator). Included from tests/CMakeLists.txt
# after pixmera_add_test() is defined; the same sources as the Linux build.
#
# Left out, and why:
# - the end-to-end tests that start the program through
#   tests/support/process_runner.h (tests/app/*, console_operations,
#   frame_watermark_console, completion): that runner is posix_spawn and
#   pipes; tests/windows/console_test.sh checks the same behaviour of
#   pixmeracmd.exe under wine instead.
# - pipeline_worker_tests: its stand-in converter is a shell script.
# - config_file_tests: it points XDG_CONFIG_HOME (setenv) at a folder of
#   its own; Windows takes the folder from SHGetKnownFolderPath, which
#   platform_system_services_tests reaches through the same files.h.
# - imaging_buffered_file_tests: it hands FreeImage_Save a path's narrow
#   c_str(), a wchar_t string on Windows; the buffered save itself runs in
#   every conversion of tests/windows/console_test.sh.
# - platform_http_fetch_tests: tests/windows/http_fetch_test.sh runs the
#   WinHTTP fetch against the same servers.
# - tests/ui/: the GUI test program is built by windows/gui_tests.cmake and
#   run by tests/windows/gui_test.sh on an X display of its own.
# - tests/artwork/: the artwork program runs on the build machine.
# - tests/photocd/: the converter's own tests, with the converter's build.

pixmera_add_test(command_line_tests ${CMAKE_CURRENT_SOURCE_DIR}/cli/command_line_test.cpp)
pixmera_add_test(options_tests ${CMAKE_CURRENT_SOURCE_DIR}/cli/options_test.cpp)
pixmera_add_test(documentation_tests ${CMAKE_CURRENT_SOURCE_DIR}/cli/documentation_test.cpp)

foreach(name catalogue colour_names keywords version_document)
  pixmera_add_test(${name}_tests ${CMAKE_CURRENT_SOURCE_DIR}/settings/${name}_test.cpp)
endforeach()

pixmera_add_test(pipeline_tables_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/pipeline/format_tables_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/pipeline/input_collection_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/pipeline/naming_mask_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/pipeline/signatures_test.cpp)

foreach(name geometry tone depth_paths frame watermark bit_depth sixteen_bit_chain colour_space)
  pixmera_add_test(imaging_${name}_tests ${CMAKE_CURRENT_SOURCE_DIR}/imaging/${name}_test.cpp)
endforeach()

pixmera_add_test(platform_drawing_tests ${CMAKE_CURRENT_SOURCE_DIR}/platform/drawing_test.cpp)
add_executable(platform_child_helper ${CMAKE_CURRENT_SOURCE_DIR}/platform/child_helper.cpp)
target_link_libraries(platform_child_helper PRIVATE pixmera_base pixmera_warnings)
pixmera_add_test(platform_system_services_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/system_services_test.cpp)
add_dependencies(platform_system_services_tests platform_child_helper)
target_compile_definitions(platform_system_services_tests PRIVATE
  PIXMERA_CHILD_HELPER="$<TARGET_FILE:platform_child_helper>")

# The window's rules that need no display, with the window code (wxMSW).
pixmera_add_test(ui_logic_tests ${CMAKE_CURRENT_SOURCE_DIR}/ui/window_logic_test.cpp)
target_link_libraries(ui_logic_tests PRIVATE pixmera_ui_code)
target_include_directories(ui_logic_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui)
# windows.h as wx wants it (Unicode) before libarchive's header includes it.
target_compile_options(ui_logic_tests PRIVATE -include wx/msw/wrapwin.h)
# wxMSW's GDI+ entry points beside the drawing layer's, as in the window module.
target_link_options(ui_logic_tests PRIVATE -Wl,--allow-multiple-definition)

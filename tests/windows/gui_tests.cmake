# The GUI test program of tests/ui/, cross-built against the window code
# (wxMSW) and run under wine on a private X display by
# tests/windows/gui_test.sh, one group of tests after the other in one wine
# prefix (the groups share its application data folder). Not a CTest test:
# CTest runs the unit tests side by side in the shared prefix of
# `make windows-test`.
#
# The groups it runs are the Linux ones that mean the same on Windows:
#   WindowTest WindowConversion Preferences PreferencesConversion
#   UpdatesAndManual UninstallPage
# Left out, and why:
# - WithWindowManager (window_manager_test.cpp): openbox, xprop and xdotool
#   on the X display and the program started through posix_spawn; under
#   wine the window's geometry, F5 and Alt+X are checked on pixmera.exe
#   itself by tests/windows/gui_test.sh.
# - InstalledWindow (installed_window_test.cpp): the Linux installation
#   prefix (bin/, lib/pixmera/, share/), started through posix_spawn; the
#   Windows installation is tests/windows/installer_test.sh's.
# - Screenshots (screenshot_test.cpp, built but not run): it tells a
#   picture from a blank one by 12 colours among every third pixel, a count
#   set for GTK's theme (gradients, smoothed text); wine's flat classic
#   controls give 8 to 11. tests/windows/window_test.sh takes the same
#   pictures with pixmera.exe -T and counts the colours of every pixel.
# - WindowTest.OpensWithEveryElementWhereTheLayoutPutsIt: it holds the
#   combo boxes to GTK's compact height of 21 pixels; a Windows combo box
#   takes the height its font gives it (20 under wine's fonts), whatever
#   size it is asked for. The rest of what it checks (title, menus, the
#   other elements' places) the screenshots of tests/windows/window_test.sh
#   show.
set(ui_tests ${CMAKE_CURRENT_SOURCE_DIR}/ui)
add_executable(ui_gui_tests
  ${ui_tests}/gui_test_main.cpp ${ui_tests}/main_window_test.cpp ${ui_tests}/preferences_test.cpp
  ${ui_tests}/screenshot_test.cpp ${ui_tests}/update_check_test.cpp
  ${ui_tests}/uninstall_page_test.cpp ${ui_tests}/colour_pick_msw.cpp)
target_link_libraries(ui_gui_tests PRIVATE pixmera_core pixmera_ui_code pixmera_warnings GTest::gtest
                      ws2_32)
# wxMSW brings its own GDI+ entry points, the drawing layer mingw's: both
# call gdiplus.dll, as in the window module.
target_link_options(ui_gui_tests PRIVATE -Wl,--allow-multiple-definition)
# FreeImage.h (the tests' pictures) defines BOOL, DWORD and the bitmap
# structures itself unless windows.h came first; wx's wrapper of it goes
# ahead of every source.
target_compile_options(ui_gui_tests PRIVATE -include wx/msw/wrapwin.h)
target_include_directories(ui_gui_tests PRIVATE ${ui_tests} ${CMAKE_CURRENT_SOURCE_DIR}
                           ${PIXMERA_TEST_SYSTEM_DIR})
target_compile_definitions(ui_gui_tests PRIVATE
  PIXMERA_TEST_DATA="${PIXMERA_TEST_DATA}"
  PIXMERA_BINARY_DIR="${CMAKE_BINARY_DIR}"
  PIXMERA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  PIXMERA_TEST_PREFIX="${PIXMERA_TEST_PREFIX}"
  # wine gives the build machine's folders as drive Z:.
  PIXMERA_BUILT_MANUAL="Z:${CMAKE_BINARY_DIR}/bin/docs/manual.html"
  PIXMERA_BUILT_MANUAL_ADDRESS="file:///Z:${CMAKE_BINARY_DIR}/bin/docs/manual.html")
add_dependencies(ui_gui_tests pixmera_convert)
# The manual beside the programs of the build tree as in the installed
# folder (docs\), for the Help menu's test.
configure_file(${PROJECT_SOURCE_DIR}/docs/manual.html ${CMAKE_BINARY_DIR}/bin/docs/manual.html
               COPYONLY)

# Windows resources of pixmera's programs: the application icon, a manifest
# and the version information, compiled with windres (CMake's RC language).
#
#   include(packaging/windows/resources.cmake)
#   pixmera_windows_resources(<target> <original file name> <description>)
#
# for example pixmera_windows_resources(pixmera pixmeracmd.exe "Varnelo PCD to
# TIFF console"). Each call configures one .rc and one manifest for that
# program from version.rc.in and application.manifest.in beside this file.
# WX_RESOURCES after the description adds wxMSW's resource file
# (wx/msw/wx.rc, without its manifest); the target must then see wxMSW's
# include folders, as the window module does.
#
# The icon (pixmera.ico, 16 to 256 px) is drawn by the artwork program. A
# cross build cannot run the programs it compiles, so the artwork program is
# built for the build machine from artwork/host/ (or taken from
# PIXMERA_HOST_DRAW_THEME when that names one already built).

include_guard(GLOBAL)

set(PIXMERA_WINDOWS_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(PIXMERA_HOST_DRAW_THEME "" CACHE FILEPATH
    "The artwork program built for the build machine; empty builds one from artwork/host/")

# What every program of the product says about itself.
set(PIXMERA_WINDOWS_PRODUCT "Varnelo PCD to TIFF")
set(PIXMERA_WINDOWS_COMPANY "Varnelo")
set(PIXMERA_WINDOWS_VERSION 3.1)

# The one pixmera.ico of the build tree and the target that draws it.
function(_pixmera_windows_icon out_icon out_target)
  set(icon ${CMAKE_BINARY_DIR}/packaging/windows/pixmera.ico)
  if(NOT TARGET pixmera_windows_icon)
    if(PIXMERA_HOST_DRAW_THEME)
      set(draw ${PIXMERA_HOST_DRAW_THEME})
      set(draw_depends ${PIXMERA_HOST_DRAW_THEME})
    else()
      include(ExternalProject)
      set(host_dir ${CMAKE_BINARY_DIR}/host-artwork)
      set(draw ${host_dir}/pixmera_draw_theme)
      # Configured without this build's toolchain file, so it gets the build
      # machine's compiler and Cairo. Built every time: the step itself sees
      # whether the drawing changed.
      ExternalProject_Add(pixmera_host_artwork
        SOURCE_DIR ${PIXMERA_WINDOWS_RESOURCES_DIR}/../../artwork/host
        BINARY_DIR ${host_dir}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${draw})
      set(draw_depends pixmera_host_artwork ${draw})
    endif()
    add_custom_command(
      OUTPUT ${icon}
      COMMAND ${draw} --ico ${icon}
      DEPENDS ${draw_depends}
      COMMENT "Drawing the Windows application icon"
      VERBATIM)
    add_custom_target(pixmera_windows_icon DEPENDS ${icon})
  endif()
  set(${out_icon} ${icon} PARENT_SCOPE)
  set(${out_target} pixmera_windows_icon PARENT_SCOPE)
endfunction()

function(pixmera_windows_resources target file_name description)
  cmake_parse_arguments(PARSE_ARGV 3 arg "WX_RESOURCES" "" "")
  if(NOT WIN32)
    message(FATAL_ERROR "pixmera_windows_resources(${target}) belongs to the Windows build")
  endif()
  enable_language(RC)
  _pixmera_windows_icon(icon icon_target)

  # Values the templates read.
  set(PIXMERA_RC_FILE_NAME ${file_name})
  get_filename_component(PIXMERA_RC_INTERNAL_NAME ${file_name} NAME_WE)
  set(PIXMERA_RC_DESCRIPTION ${description})
  set(PIXMERA_RC_PRODUCT ${PIXMERA_WINDOWS_PRODUCT})
  set(PIXMERA_RC_COMPANY ${PIXMERA_WINDOWS_COMPANY})
  set(PIXMERA_RC_VERSION ${PIXMERA_WINDOWS_VERSION})
  # 3.1 is 3,1,0,0 in the binary fields and 3.1.0.0 in the manifest.
  string(REPLACE "." ";" parts ${PIXMERA_WINDOWS_VERSION})
  list(APPEND parts 0 0 0)
  list(SUBLIST parts 0 4 parts)
  list(JOIN parts "," PIXMERA_RC_VERSION_COMMAS)
  list(JOIN parts "." PIXMERA_RC_VERSION_DOTS)
  if(file_name MATCHES "\\.[dD][lL][lL]$")
    set(PIXMERA_RC_FILE_TYPE VFT_DLL)
  else()
    set(PIXMERA_RC_FILE_TYPE VFT_APP)
  endif()
  foreach(text IN ITEMS file_name description)
    if(${text} MATCHES "[\"<>&\\\\]")
      message(FATAL_ERROR "pixmera_windows_resources(${target}): '${${text}}' would need escaping")
    endif()
  endforeach()

  # wxMSW's own resources (its cursors, small icons and bitmaps) belong to
  # the module whose instance wxSetInstance is given: wxMSW looks them up
  # there. They go into the same .rc, so that windres numbers the icons'
  # pictures once for both. wxMSW's manifest is left out: ours stands.
  set(PIXMERA_RC_TOOLKIT "")
  if(arg_WX_RESOURCES)
    set(PIXMERA_RC_TOOLKIT "#define wxUSE_NO_MANIFEST 1\n#include \"wx/msw/wx.rc\"\n")
  endif()

  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(PIXMERA_RC_ICON ${icon})
  set(PIXMERA_RC_MANIFEST ${folder}/${PIXMERA_RC_INTERNAL_NAME}.manifest)
  configure_file(${PIXMERA_WINDOWS_RESOURCES_DIR}/application.manifest.in ${PIXMERA_RC_MANIFEST} @ONLY)
  configure_file(${PIXMERA_WINDOWS_RESOURCES_DIR}/version.rc.in ${folder}/${target}.rc @ONLY)

  target_sources(${target} PRIVATE ${folder}/${target}.rc)
  # windres reads the icon and the manifest, which CMake's scan of the .rc
  # does not see.
  set_source_files_properties(${folder}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${icon};${PIXMERA_RC_MANIFEST}")
  add_dependencies(${target} ${icon_target})
endfunction()

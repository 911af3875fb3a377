# Copies programs and DLLs into a folder without their symbols and debugging
# sections (a third of the size, and what the setup program compresses):
#
#   cmake -DSTRIP=<strip> -DSTAGING=<folder> -DDESTINATION=<folder>
#         "-DFILES=<a|b|...>" -P copy-stripped.cmake
#
# Each file is stripped into STAGING when its stripped copy there is missing
# or older than the original, then copied into DESTINATION when it differs
# from the file there; a build with nothing changed touches neither folder.
# The originals keep their symbols for debugging in the build tree.
if(NOT STRIP OR NOT STAGING OR NOT DESTINATION OR NOT FILES)
  message(FATAL_ERROR "copy-stripped.cmake needs STRIP, STAGING, DESTINATION and FILES")
endif()
string(REPLACE "|" ";" FILES "${FILES}")
file(MAKE_DIRECTORY ${STAGING} ${DESTINATION})
foreach(file IN LISTS FILES)
  if(file STREQUAL "")
    continue()
  endif()
  get_filename_component(name ${file} NAME)
  set(stripped ${STAGING}/${name})
  if(NOT EXISTS ${stripped} OR ${file} IS_NEWER_THAN ${stripped})
    # Written beside and renamed into place, so a failed strip leaves no
    # half-written file that would look up to date.
    execute_process(COMMAND ${STRIP} --strip-unneeded -o ${stripped}.part ${file}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      file(REMOVE ${stripped}.part)
      message(FATAL_ERROR "${STRIP} could not strip ${file}")
    endif()
    file(RENAME ${stripped}.part ${stripped})
  endif()
  file(COPY_FILE ${stripped} ${DESTINATION}/${name} ONLY_IF_DIFFERENT)
endforeach()

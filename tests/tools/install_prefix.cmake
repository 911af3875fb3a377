# cmake -DBUILD=<build folder> -DPREFIX=<prefix> -P install_prefix.cmake
# Installs the build into a fresh prefix, for the tests of the installed
# program.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# The installation, checked from the outside: `cmake --install` into a
# scratch prefix must give the programs, the help file, the demo samples,
# the desktop entry, the icon, the manual pages and the bash completion,
# and the installed tarvo-cli must make and list the demo cartridge from
# its own data folder.
# Without the desktop program (WITH_GUI off) only tarvo-cli with its manual
# page and completion, and the demo samples are expected; tarvo-mount and
# its manual page where it was built (WITH_MOUNT).
#   cmake -DBUILD_DIR=... -DSCRATCH=... -DWITH_GUI=ON|OFF -DWITH_MOUNT=ON|OFF -P install_check.cmake
file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(rc)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()

set(expected bin/tarvo-cli share/tarvo/demo share/man/man1/tarvo-cli.1
    share/bash-completion/completions/tarvo-cli)
if(WITH_GUI)
  list(APPEND expected bin/tarvo share/tarvo/help/tarvo.html share/applications/tarvo.desktop
       share/icons/hicolor/scalable/apps/tarvo.svg share/man/man1/tarvo.1)
endif()
if(WITH_MOUNT)
  list(APPEND expected bin/tarvo-mount share/man/man1/tarvo-mount.1)
endif()
foreach(path ${expected})
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

file(MAKE_DIRECTORY ${SCRATCH}/home)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${SCRATCH}/home XDG_CACHE_HOME=${SCRATCH}/cache
                        TMPDIR=${SCRATCH} ${prefix}/bin/tarvo-cli --demo -c DIR
                WORKING_DIRECTORY ${SCRATCH} INPUT_FILE /dev/null
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc OR NOT out MATCHES "Vol: Tarvo Demo" OR NOT out MATCHES "Welcome.txt")
  message(FATAL_ERROR "the installed tarvo-cli --demo failed (${rc}):\n${out}\n${err}")
endif()
file(REMOVE_RECURSE ${SCRATCH})

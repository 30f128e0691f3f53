# Runs PROGRAM with the arguments ARGS ("|"-separated) in WORKDIR with an empty standard
# input, and checks its exit status (STATUS) and that its output, standard output and error
# together, matches the regular expression EXPECT. With INSTALL_FROM, that build tree is
# first installed under PREFIX and PROGRAM is taken relative to PREFIX.
if(DEFINED INSTALL_FROM)
  file(REMOVE_RECURSE "${PREFIX}")
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${INSTALL_FROM}" --prefix "${PREFIX}"
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE installErrors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing ${INSTALL_FROM} failed (${status}): ${installErrors}")
  endif()
  set(PROGRAM "${PREFIX}/${PROGRAM}")
endif()
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
string(REPLACE "|" ";" arguments "${ARGS}")
execute_process(COMMAND "${PROGRAM}" ${arguments} INPUT_FILE /dev/null WORKING_DIRECTORY "${WORKDIR}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
message("${out}${err}")
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "the output does not match: ${EXPECT}")
endif()

# Runs one window test (COMMAND, its arguments separated by "|") and fails it on any GTK, GDK,
# GSK, Pango or GLib critical or warning it prints and on any sanitizer report, even when the
# run's own checks held: such messages mark faults the checks do not see (a widget used after
# its window went, a signal sent to a dead object). A virtual display has no session bus, and
# GTK says so once at start; that one warning is not counted.
string(REPLACE "|" ";" command "${COMMAND}")
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
message("${err}")
string(REGEX REPLACE "[^\n]*Unable to acquire session bus[^\n]*" "" counted "${err}")
string(REGEX MATCHALL "[A-Za-z-]+-(CRITICAL|WARNING|ERROR) \\*\\*[^\n]*" reports "${counted}")
string(REGEX MATCHALL "(ERROR: [A-Za-z]+Sanitizer|runtime error:)[^\n]*" sanitizer "${err}")
list(APPEND reports ${sanitizer})
if(reports)
  list(JOIN reports "\n  " listed)
  message(FATAL_ERROR "the run printed:\n  ${listed}")
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the run ended with status ${status}")
endif()

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
# With a log domain ("Gtk-WARNING **") or without ("(wyvra:PID): ERROR **").
string(REGEX MATCHALL "([A-Za-z-]+-|\\([^)]*\\): )(CRITICAL|WARNING|ERROR) \\*\\*[^\n]*" reports "${counted}")
# A leak checker that could not stop the program's threads says only that it "has
# encountered a fatal error", and aborts under abort_on_error.
string(REGEX MATCHALL "(ERROR: [A-Za-z]+Sanitizer|[A-Za-z]+Sanitizer has encountered a fatal error|[A-Za-z]+Sanitizer:DEADLYSIGNAL|[A-Za-z]+Sanitizer CHECK failed|runtime error:)[^\n]*" sanitizer "${err}")
# GLib's failed assertions and a C++ exception nothing caught (both abort).
string(REGEX MATCHALL "([A-Za-z-]+:ERROR:[^ \n]*:[0-9]+:|terminate called)[^\n]*" aborts "${err}")
list(APPEND reports ${aborts})
list(APPEND reports ${sanitizer})
if(reports)
  list(JOIN reports "\n  " listed)
  message(FATAL_ERROR "the run printed:\n  ${listed}")
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the run ended with status ${status}")
endif()

# Helpers shared by every subsystem's CMakeLists.

# Adds every immediate subfolder of the current source folder that has a CMakeLists.txt,
# so that a new subsystem joins the build by its folder alone.
function(vornex_add_subfolders)
  file(GLOB children RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${child}"
       AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt")
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# vornex_library(NAME sources... [DEPS libs...]) : one static library per subsystem,
# target vornex_NAME, headers included as "NAME/Header.h" from src/.
function(vornex_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(vornex_${name} STATIC ${ARG_SOURCES})
  # Inside the tree the headers are "NAME/Header.h" below src/; installed, they sit below
  # include/vornex/ and the program that uses them writes <vornex/NAME/Header.h>.
  target_include_directories(vornex_${name} PUBLIC
    "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>"
    "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
  target_compile_features(vornex_${name} PUBLIC cxx_std_20)
  set_target_properties(vornex_${name} PROPERTIES EXPORT_NAME ${name})
  add_library(vornex::${name} ALIAS vornex_${name})
  if(ARG_DEPS)
    target_link_libraries(vornex_${name} PUBLIC ${ARG_DEPS})
  endif()
  install(TARGETS vornex_${name} EXPORT vornexTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  set_property(GLOBAL APPEND PROPERTY VORNEX_LIBRARIES ${name})
endfunction()

# vornex_test(NAME SOURCES sources... [DEPS libs...] [ALONE sources...]) : one GoogleTest
# program per subsystem.
# Each test process runs in a fresh scratch folder below work_NAME (tests/support/TestMain.cpp).
# The entry point is compiled once (target vornex_test_main, tests/CMakeLists.txt). With
# VORNEX_UNITY_TESTS the program's sources are compiled in batches: GoogleTest's templates are
# then parsed and optimised once per batch instead of once per file, which is most of a clean
# build's time. The sources named after ALONE are compiled on their own: their file-local
# names are used by another source of the same program too.
function(vornex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;ALONE" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} vornex_test_main)
  if(VORNEX_UNITY_TESTS)
    set_target_properties(test_${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    if(ARG_ALONE)
      set_source_files_properties(${ARG_ALONE} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endif()
  set(workdir "${CMAKE_CURRENT_BINARY_DIR}/work_${name}")
  file(MAKE_DIRECTORY "${workdir}")
  gtest_discover_tests(test_${name} WORKING_DIRECTORY "${workdir}" DISCOVERY_MODE PRE_TEST
                       PROPERTIES TIMEOUT 300)
endfunction()

function(vornex_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(bench_${name} ${ARG_SOURCES})
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

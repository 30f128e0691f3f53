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

# vornex_test(NAME sources... [DEPS libs...]) : one GoogleTest program per subsystem.
# Each test process runs in a fresh scratch folder below work_NAME (tests/support/TestMain.cpp).
function(vornex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES} "${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp")
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  target_include_directories(test_${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  target_compile_definitions(test_${name} PRIVATE
    VORNEX_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    VORNEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VORNEX_BINARY_DIR="${PROJECT_BINARY_DIR}")
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

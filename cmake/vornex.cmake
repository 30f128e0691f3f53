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

# Precompiled headers (VORNEX_PRECOMPILED_HEADERS): the standard headers most sources
# include, and GoogleTest for the tests, are parsed once per build instead of once per
# file, which was a third of a library file's compile time. A header is precompiled by an
# owner target and reused by every target compiled with the same options; the targets that
# are compiled with -pthread (through cairo or GTK) define a macro the headers look at, so
# each owner comes twice, without and with -pthread.
set(VORNEX_STD_PCH_HEADERS <algorithm> <cmath> <cstdarg> <cstdint> <cstdio> <cstdlib> <cstring>
    <functional> <limits> <memory> <optional> <string> <vector>)

# vornex_pch_owner(NAME [LINK targets...] HEADERS headers...): the owners NAME and
# NAME_pthread, compiled only when a target reuses them.
function(vornex_pch_owner name)
  cmake_parse_arguments(ARG "" "" "LINK;HEADERS" ${ARGN})
  foreach(owner ${name} ${name}_pthread)
    add_library(${owner} OBJECT EXCLUDE_FROM_ALL "${PROJECT_SOURCE_DIR}/cmake/PrecompiledHeaders.cpp")
    target_compile_features(${owner} PRIVATE cxx_std_20)
    target_link_libraries(${owner} PRIVATE ${ARG_LINK})
    target_precompile_headers(${owner} PRIVATE ${ARG_HEADERS})
  endforeach()
  target_compile_options(${name}_pthread PRIVATE -pthread)
endfunction()

# Whether TARGET or anything it links is compiled with -pthread.
function(vornex_compiled_with_pthread target out)
  set(seen "")
  set(queue ${target})
  set(found FALSE)
  while(queue)
    list(POP_FRONT queue t)
    # pkg-config's targets are seen only in their own folder; their flags are cached.
    if(t MATCHES "^PkgConfig::(.+)$" AND "-pthread" IN_LIST ${CMAKE_MATCH_1}_CFLAGS_OTHER)
      set(found TRUE)
    endif()
    if(NOT TARGET ${t} OR t IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${t})
    get_target_property(aliased ${t} ALIASED_TARGET)
    if(aliased)
      list(APPEND queue ${aliased})
      continue()
    endif()
    foreach(property COMPILE_OPTIONS INTERFACE_COMPILE_OPTIONS)
      get_target_property(options ${t} ${property})
      if(options AND "-pthread" IN_LIST options)
        set(found TRUE)
      endif()
    endforeach()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${t} ${property})
      if(libs)
        list(APPEND queue ${libs})
      endif()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# vornex_reuse_pch(TARGET OWNER): TARGET reuses OWNER's precompiled headers, chosen once
# every target is known (the end of the top folder), when TARGET's libraries are complete.
function(vornex_reuse_pch target owner)
  if(VORNEX_PRECOMPILED_HEADERS)
    # A deferred call reads its arguments when it runs: EVAL fixes them now.
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]]
                   CALL _vornex_reuse_pch_now [[${target}]] [[${owner}]])")
  endif()
endfunction()
function(_vornex_reuse_pch_now target owner)
  vornex_compiled_with_pthread(${target} threads)
  if(threads)
    set(owner ${owner}_pthread)
  endif()
  target_precompile_headers(${target} REUSE_FROM ${owner})
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
  vornex_reuse_pch(vornex_${name} vornex_std_pch)
  if(ARG_DEPS)
    target_link_libraries(vornex_${name} PUBLIC ${ARG_DEPS})
  endif()
  install(TARGETS vornex_${name} EXPORT vornexTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  set_property(GLOBAL APPEND PROPERTY VORNEX_LIBRARIES ${name})
endfunction()

# vornex_test(NAME SOURCES sources... [DEPS libs...] [ALONE sources...] [NO_PCH]) : one
# GoogleTest program per subsystem; NO_PCH compiles it without the precompiled headers.
# Each test process runs in a fresh scratch folder below work_NAME (tests/support/TestMain.cpp).
# The entry point is compiled once (target vornex_test_main, tests/CMakeLists.txt). With
# VORNEX_UNITY_TESTS the program's sources are compiled in batches: GoogleTest's templates are
# then parsed and optimised once per batch instead of once per file, which is most of a clean
# build's time. The sources named after ALONE are compiled on their own: their file-local
# names are used by another source of the same program too.
function(vornex_test name)
  cmake_parse_arguments(ARG "NO_PCH" "" "SOURCES;DEPS;ALONE;LABELS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} vornex_test_main)
  # Sweeps shrink under the sanitizers, which run the models several times slower.
  if(VORNEX_SANITIZE)
    target_compile_definitions(test_${name} PRIVATE VORNEX_SANITIZED_BUILD=1)
  endif()
  if(NOT ARG_NO_PCH)
    vornex_reuse_pch(test_${name} vornex_test_pch)
  endif()
  if(VORNEX_UNITY_TESTS)
    set_target_properties(test_${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    if(ARG_ALONE)
      set_source_files_properties(${ARG_ALONE} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endif()
  set(workdir "${CMAKE_CURRENT_BINARY_DIR}/work_${name}")
  file(MAKE_DIRECTORY "${workdir}")
  # Unoptimised with counters, the longest sweeps take several times their usual time.
  if(VORNEX_COVERAGE)
    set(timeout 1800)
  else()
    set(timeout 300)
  endif()
  # LABELS: "locale" marks the suites run once more in a decimal-comma locale.
  set(labels "")
  if(ARG_LABELS)
    set(labels LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(test_${name} WORKING_DIRECTORY "${workdir}" DISCOVERY_MODE PRE_TEST
                       PROPERTIES TIMEOUT ${timeout} ${labels})
endfunction()

function(vornex_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(bench_${name} ${ARG_SOURCES})
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  # One short pass of every benchmark under ctest, so that one that breaks, or whose own
  # check fails, fails the tests; the timings themselves are not judged.
  if(VORNEX_BUILD_TESTS)
    add_test(NAME bench_${name}.RunsOnce
             COMMAND ${CMAKE_COMMAND} -DBENCH=$<TARGET_FILE:bench_${name}>
                     -P "${PROJECT_SOURCE_DIR}/cmake/RunBenchmarkOnce.cmake")
    set_tests_properties(bench_${name}.RunsOnce PROPERTIES TIMEOUT 300 LABELS bench)
  endif()
endfunction()

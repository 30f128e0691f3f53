# Installs the library for other programs: the headers below include/vornex/, the static
# library of every subsystem, the CMake package (find_package(vornex) with imported targets
# vornex::NAME) and a pkg-config file.
include(CMakePackageConfigHelpers)

set(VORNEX_CMAKE_DESTINATION "${CMAKE_INSTALL_LIBDIR}/cmake/vornex")
set(VORNEX_PKGCONFIG_DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

get_property(vornex_subsystems GLOBAL PROPERTY VORNEX_LIBRARIES)

# Static libraries must be named on a link line before the ones they use: a depth-first
# walk of the subsystems' own dependencies, reversed.
set(vornex_link_order "")
function(vornex_visit name)
  if(name IN_LIST vornex_link_order OR name IN_LIST vornex_visiting)
    return()
  endif()
  list(APPEND vornex_visiting ${name})
  set(vornex_visiting "${vornex_visiting}" PARENT_SCOPE)
  get_target_property(deps vornex_${name} LINK_LIBRARIES)
  foreach(dep IN LISTS deps)
    if(dep MATCHES "^vornex_(.+)$")
      vornex_visit(${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(APPEND vornex_link_order ${name})
  set(vornex_link_order "${vornex_link_order}" PARENT_SCOPE)
endfunction()
foreach(name IN LISTS vornex_subsystems)
  vornex_visit(${name})
endforeach()
list(REVERSE vornex_link_order)

set(VORNEX_EXPORTED_TARGETS "")
set(VORNEX_PC_LIBS "")
foreach(name IN LISTS vornex_link_order)
  list(APPEND VORNEX_EXPORTED_TARGETS "vornex::${name}")
  string(APPEND VORNEX_PC_LIBS " -lvornex_${name}")
endforeach()
string(STRIP "${VORNEX_PC_LIBS}" VORNEX_PC_LIBS)
list(JOIN VORNEX_EXPORTED_TARGETS " " VORNEX_EXPORTED_TARGETS)

install(EXPORT vornexTargets NAMESPACE vornex:: DESTINATION "${VORNEX_CMAKE_DESTINATION}")
configure_package_config_file(cmake/vornexConfig.cmake.in
  "${CMAKE_CURRENT_BINARY_DIR}/vornexConfig.cmake"
  INSTALL_DESTINATION "${VORNEX_CMAKE_DESTINATION}"
  PATH_VARS VORNEX_INSTALL_DATA_SUBDIR)
write_basic_package_version_file("${CMAKE_CURRENT_BINARY_DIR}/vornexConfigVersion.cmake"
  COMPATIBILITY SameMinorVersion)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/vornexConfig.cmake"
              "${CMAKE_CURRENT_BINARY_DIR}/vornexConfigVersion.cmake"
              cmake/DataDirectory.cpp.in
        DESTINATION "${VORNEX_CMAKE_DESTINATION}")

# The headers and the pkg-config file are written at installation (see InstallHeaders.cmake).
get_property(VORNEX_PC_REQUIRES GLOBAL PROPERTY VORNEX_PKG_MODULES)
install(CODE "
  set(VORNEX_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(VORNEX_STAGE_DIR \"${PROJECT_BINARY_DIR}/install-stage\")
  set(VORNEX_INCLUDE_DESTINATION \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(VORNEX_LIB_DESTINATION \"${CMAKE_INSTALL_LIBDIR}\")
  set(VORNEX_PKGCONFIG_DESTINATION \"${VORNEX_PKGCONFIG_DESTINATION}\")
  set(VORNEX_VERSION \"${PROJECT_VERSION}\")
  set(VORNEX_PC_REQUIRES \"${VORNEX_PC_REQUIRES}\")
  set(VORNEX_PC_LIBS \"${VORNEX_PC_LIBS}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/InstallHeaders.cmake\")
")

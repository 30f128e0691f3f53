# Run at installation: copies every subsystem header below include/vornex/, rewriting the
# tree's own includes ("water/WagnerPruss.h") to their installed names
# ("vornex/water/WagnerPruss.h"), so a program that uses the library sees only vornex/ on its
# include path. Expects VORNEX_SOURCE_DIR, VORNEX_STAGE_DIR and VORNEX_INCLUDE_DESTINATION.
file(GLOB subsystems RELATIVE "${VORNEX_SOURCE_DIR}/src" "${VORNEX_SOURCE_DIR}/src/*")
set(names "")
foreach(sub IN LISTS subsystems)
  if(IS_DIRECTORY "${VORNEX_SOURCE_DIR}/src/${sub}")
    list(APPEND names "${sub}")
  endif()
endforeach()
list(JOIN names "|" alternatives)
file(REMOVE_RECURSE "${VORNEX_STAGE_DIR}")
foreach(sub IN LISTS names)
  # A subsystem's own subfolders (water/magma/) keep their place below it.
  file(GLOB_RECURSE headers RELATIVE "${VORNEX_SOURCE_DIR}/src/${sub}" "${VORNEX_SOURCE_DIR}/src/${sub}/*.h")
  foreach(header IN LISTS headers)
    file(READ "${VORNEX_SOURCE_DIR}/src/${sub}/${header}" text)
    string(REGEX REPLACE "#include \"(${alternatives})/" "#include \"vornex/\\1/" text "${text}")
    file(WRITE "${VORNEX_STAGE_DIR}/vornex/${sub}/${header}" "${text}")
  endforeach()
endforeach()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VORNEX_INCLUDE_DESTINATION}"
     TYPE DIRECTORY FILES "${VORNEX_STAGE_DIR}/vornex")

# The pkg-config file names the prefix the files were installed under.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(VORNEX_PC_PREFIX "${prefix}")
configure_file("${VORNEX_SOURCE_DIR}/cmake/vornex.pc.in" "${VORNEX_STAGE_DIR}/vornex.pc" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VORNEX_PKGCONFIG_DESTINATION}"
     TYPE FILE FILES "${VORNEX_STAGE_DIR}/vornex.pc")

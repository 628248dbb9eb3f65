# Installation and the exported CMake package.
#
#   cmake --install <build> --prefix <prefix>
#
# installs the libraries posy_io, posy_lu, posy_lp (and posy_gp when built),
# the public headers under <prefix>/include/posy/<folder>/, the programs posy
# and posy-lp, and the package files under <prefix>/lib/cmake/posy, so that
# another project can write
#
#   find_package(posy REQUIRED)
#   target_link_libraries(app PRIVATE posy::posy_lp)
#
# and include "lp/engine.h".
include(CMakePackageConfigHelpers)

set(POSY_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/posy)

# Libraries, in dependency order; each exists only when its folder is built.
set(_posy_libraries)
foreach(lib posy_io posy_lu posy_lp posy_gp)
  if(TARGET ${lib})
    list(APPEND _posy_libraries ${lib})
  endif()
endforeach()
if(_posy_libraries)
  install(TARGETS ${_posy_libraries}
          EXPORT posyTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/posy)
endif()

# Public headers: the engine's interface and the headers it includes.
set(_posy_headers
  io/units.h io/edit.h io/record.h io/list_input.h io/one_based.h
  lu/sparse_lu.h
  lp/engine.h lp/workspace.h
  gp/solver.h)
foreach(h ${_posy_headers})
  if(EXISTS ${PROJECT_SOURCE_DIR}/${h})
    get_filename_component(dir ${h} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${h} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/posy/${dir})
  endif()
endforeach()

# Programs.
foreach(exe posy posy-lp)
  if(TARGET ${exe})
    install(TARGETS ${exe} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Package files.
if(_posy_libraries)
  install(EXPORT posyTargets
          NAMESPACE posy::
          FILE posyTargets.cmake
          DESTINATION ${POSY_INSTALL_CMAKEDIR})
  configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/posyConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/posyConfig.cmake
    INSTALL_DESTINATION ${POSY_INSTALL_CMAKEDIR})
  write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/posyConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/posyConfig.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/posyConfigVersion.cmake
          DESTINATION ${POSY_INSTALL_CMAKEDIR})
endif()

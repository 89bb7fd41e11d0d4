# What `cmake --install` lays out: the library with its public headers, a
# pkg-config file and a CMake package for programs that build against it,
# and the CLI with its man page, bash completion and the property names.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TARVELIN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TarvelinAdmin)

target_include_directories(tarvelinapi INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(tarvelinapi PROPERTIES EXPORT_NAME api)

install(TARGETS tarvelinapi EXPORT TarvelinAdminTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/tarvelin DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/apiconst.pas
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvelin-admin)
install(TARGETS tarvelin-admin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/tarvelin-admin.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/tools/completion/tarvelin-admin.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tarvelin-admin)

# The prefix is found from where the .pc file lies, so that an installation
# under any --prefix describes itself.
file(RELATIVE_PATH TARVELIN_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/tarvelin-admin.pc.in
  ${CMAKE_BINARY_DIR}/tarvelin-admin.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/tarvelin-admin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(EXPORT TarvelinAdminTargets NAMESPACE Tarvelin:: DESTINATION ${TARVELIN_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/TarvelinAdminConfig.cmake.in
  ${CMAKE_BINARY_DIR}/TarvelinAdminConfig.cmake INSTALL_DESTINATION ${TARVELIN_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TarvelinAdminConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TarvelinAdminConfig.cmake
  ${CMAKE_BINARY_DIR}/TarvelinAdminConfigVersion.cmake DESTINATION ${TARVELIN_CMAKE_DIR})

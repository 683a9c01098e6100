# cmake --install: the programs with their manual pages, the library with its
# header, and a CMake package, so that another project writes
# find_package(fclimits) and links fclimits::fclimits.
include(CMakePackageConfigHelpers)

install(TARGETS fclimits RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/man/fclimits.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET fctable)
  install(TARGETS fctable RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/man/fctable.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(TARGETS fclimits_library limits EXPORT fclimits_targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/fclimits/fclimits.h ${PROJECT_SOURCE_DIR}/fclimits/stop_token.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/fclimits)

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/fclimits)
install(EXPORT fclimits_targets NAMESPACE fclimits:: FILE fclimits-targets.cmake
        DESTINATION ${package_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/fclimits-config.cmake.in
  ${PROJECT_BINARY_DIR}/fclimits-config.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/fclimits-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/fclimits-config.cmake
              ${PROJECT_BINARY_DIR}/fclimits-config-version.cmake
        DESTINATION ${package_dir})

# cpack --config build/CPackConfig.cmake: the same files as a Debian package
# (installed under /usr) and a tarball (unpacked anywhere), for machines
# without compilers. The Python module ships as a wheel (pip wheel .).
set(CPACK_PACKAGE_NAME fclimits)
set(CPACK_PACKAGE_VENDOR "fclimits")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Exact Feldman-Cousins confidence limits: console program, table command, C++ library")
set(CPACK_PACKAGE_CONTACT "fclimits developers <fclimits@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_FILE_NAME "fclimits-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The programs' run-time dependencies (libc, libstdc++) found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

# cmake --install: the JNI library and the camera and stereo libraries it
# links under lib/, the jar under share/java, the stand-ins' headers under
# include/, and a package config so other CMake projects can find them all.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BRIMLET_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/stereo_brimlet)

# The JNI library finds the camera and stereo libraries beside it, wherever
# the installed tree is moved to.
set_target_properties(stereo_brimlet PROPERTIES INSTALL_RPATH "$ORIGIN")

set(installedTargets stereo_brimlet)
if(NOT BRIMLET_USE_VENDOR_LIBRARIES)
  list(APPEND installedTargets PGRFlyCapture triclops)
endif()
install(TARGETS ${installedTargets}
  EXPORT stereo_brimlet_targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/stereo_brimlet)
install(EXPORT stereo_brimlet_targets
  NAMESPACE stereo_brimlet::
  DESTINATION ${BRIMLET_INSTALL_CMAKEDIR})

install_jar(stereo_brimlet_jar DESTINATION ${CMAKE_INSTALL_DATADIR}/java)
install_jar(brimlet_demo_jar DESTINATION ${CMAKE_INSTALL_DATADIR}/java)
if(BRIMLET_BUILD_JAVADOC)
  install(DIRECTORY ${BRIMLET_JAVADOC_DIR}/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/javadoc)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

get_target_property(BRIMLET_JAR_NAME stereo_brimlet_jar JAR_FILE)
get_filename_component(BRIMLET_JAR_NAME "${BRIMLET_JAR_NAME}" NAME)
configure_package_config_file(cmake/stereo_brimletConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/stereo_brimletConfig.cmake
  INSTALL_DESTINATION ${BRIMLET_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_DATADIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/stereo_brimletConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/stereo_brimletConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/stereo_brimletConfigVersion.cmake
  DESTINATION ${BRIMLET_INSTALL_CMAKEDIR})

# What `cmake --install` puts where, in three components that become the Debian packages
# (EdaPackaging.cmake): "runtime" (shared libraries, the natives' jars), "development" (headers,
# link names, CMake and pkg-config files) and "tools" (the two programs, their manuals, the
# sample files). Included after every target is defined.
include(CMakePackageConfigHelpers)

set(EDA_CMAKE_PACKAGE MorvaneEDA)
set(EDA_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/${EDA_CMAKE_PACKAGE})
set(EDA_INSTALL_JNIDIR ${CMAKE_INSTALL_LIBDIR}/jni)
set(EDA_INSTALL_JAVADIR ${CMAKE_INSTALL_DATADIR}/java)
set(EDA_SHARED_LIBRARIES metalink ecadbridge VXNContainerProxy)
# The Debian package each component becomes; documentation folders are named after them.
set(EDA_RUNTIME_PACKAGE libmorvane-eda${PROJECT_VERSION_MAJOR})
set(EDA_DEVELOPMENT_PACKAGE libmorvane-eda-dev)
set(EDA_TOOLS_PACKAGE morvane-eda-tools)

# The SONAME carries the major version: callers built against 0.x keep loading libmetalink.so.0
# until an incompatible 1.0 installs beside it.
set_target_properties(${EDA_SHARED_LIBRARIES} PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

install(TARGETS ${EDA_SHARED_LIBRARIES} EXPORT ${EDA_CMAKE_PACKAGE}Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    COMPONENT runtime NAMELINK_COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/metalink/include/metalink
                  ${PROJECT_SOURCE_DIR}/ecadbridge/include/ecadbridge
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

# Java loads natives by their bare name (System.loadLibrary), which the link names of the
# development package would give only to developers. The JNI folder, which Debian's JDK searches
# by default, gets names of its own that point at the versioned files.
set(_links ${CMAKE_CURRENT_BINARY_DIR}/jni-links)
file(MAKE_DIRECTORY ${_links})
foreach(library metalink VXNContainerProxy)
  file(CREATE_LINK ../lib${library}.so.${PROJECT_VERSION_MAJOR} ${_links}/lib${library}.so SYMBOLIC)
  install(FILES ${_links}/lib${library}.so DESTINATION ${EDA_INSTALL_JNIDIR} COMPONENT runtime)
endforeach()

install_jar(odbccon_jni DESTINATION ${EDA_INSTALL_JAVADIR} COMPONENT runtime)
install_jar(vxncontainer DESTINATION ${EDA_INSTALL_JAVADIR} COMPONENT runtime)
install_jar(ecadbridge_client DESTINATION ${EDA_INSTALL_JAVADIR} COMPONENT runtime)

install(TARGETS metalink_tool minixml RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${EDA_TOOLS_PACKAGE}/examples COMPONENT tools)

# Consumers: find_package(MorvaneEDA) gives MorvaneEDA::metalink, ::ecadbridge and
# ::VXNContainerProxy; pkg-config knows metalink and ecadbridge.
install(EXPORT ${EDA_CMAKE_PACKAGE}Targets NAMESPACE ${EDA_CMAKE_PACKAGE}::
  DESTINATION ${EDA_INSTALL_CMAKEDIR} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/packaging/Config.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/${EDA_CMAKE_PACKAGE}Config.cmake
  INSTALL_DESTINATION ${EDA_INSTALL_CMAKEDIR})
# 0.x releases promise nothing to each other; from 1.0 on a major version keeps its interface.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${EDA_CMAKE_PACKAGE}ConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${EDA_CMAKE_PACKAGE}Config.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/${EDA_CMAKE_PACKAGE}ConfigVersion.cmake
  DESTINATION ${EDA_INSTALL_CMAKEDIR} COMPONENT development)

foreach(library metalink ecadbridge)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${library}.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${library}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${library}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endforeach()

# Outside the system's library folders the tools find the libraries beside them, relative to
# where they are installed; in /usr they carry no search path, as Debian requires.
if(NOT CMAKE_INSTALL_FULL_LIBDIR IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
  file(RELATIVE_PATH _libdir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(metalink_tool minixml PROPERTIES INSTALL_RPATH "$ORIGIN/${_libdir}")
endif()

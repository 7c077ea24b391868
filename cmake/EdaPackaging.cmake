# Debian packages of the install components (EdaInstall.cmake), made by `cpack -G DEB` in a build
# configured with CMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does both):
#   libmorvane-eda0      runtime: the shared libraries and the jars of their Java classes
#   libmorvane-eda-dev   development: headers, link names, CMake package, pkg-config files
#   morvane-eda-tools    tools: metalink and minixml, their manuals, the sample files
# Depends come from the binaries (dpkg-shlibdeps); the packages depend on each other at the same
# version.
set(EDA_PACKAGE_MAINTAINER "Morvane EDA team <eda@morvane.example>"
  CACHE STRING "Maintainer named in the Debian packages")
set(EDA_DEBIAN_RELEASE 1)
set(EDA_DEBIAN_VERSION ${PROJECT_VERSION}-${EDA_DEBIAN_RELEASE})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane-eda)
set(CPACK_PACKAGE_VENDOR Morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${EDA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tools)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${EDA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${EDA_DEBIAN_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# A shlibs file, so that programs built against the libraries depend on this version or later.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The tools link the runtime package's libraries, which are not installed while packaging.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${PROJECT_BINARY_DIR}/metalink ${PROJECT_BINARY_DIR}/ecadbridge)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${EDA_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The loader's cache learns of the libraries through libc's ldconfig trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/triggers)
# ecadbridge loads the Java VM at run time.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "openjdk-17-jre-headless")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${EDA_DEVELOPMENT_PACKAGE})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${EDA_TOOLS_PACKAGE})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
# The driver behind metalink --sqlite.
set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS "libsqliteodbc")

# The first line of a description is the package's summary.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "Morvane EDA connector libraries
libmetalink moves part-library metadata between a database reached through
ODBC and a library XML file. libecadbridge is the EDA_* interface through which
ECAD tools reach the Java PDM client, with the minixml document reader.
libVXNContainerProxy holds the JNI natives of the container files. The jars of
their Java classes and the reference Java client are in /usr/share/java.")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Morvane EDA connector libraries - development files
Headers of libmetalink and libecadbridge, their link names, the CMake package
MorvaneEDA with imported targets, and the pkg-config files metalink and
ecadbridge.")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "Morvane EDA connector tools
metalink imports library XML files into an ODBC database and exports them
back, and lists data sources, tables and columns. minixml shows the records
that an ECAD tool reads from a status or BOM document. Sample mapping, library
and status files are in the documentation folder.")

include(CPack)
cpack_add_component(runtime)
cpack_add_component(development DEPENDS runtime)
cpack_add_component(tools DEPENDS runtime)

# Every package carries its copyright and changelog in its own documentation folder.
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in
  ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nc
  INPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian
  OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND_ERROR_IS_FATAL ANY)
foreach(component runtime development tools)
  string(TOUPPER ${component} _upper)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${_upper}_PACKAGE_NAME}
    RENAME copyright COMPONENT ${component})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${_upper}_PACKAGE_NAME}
    COMPONENT ${component})
endforeach()

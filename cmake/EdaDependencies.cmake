# Third-party components, found once for every target.
find_package(XercesC 3.2 REQUIRED)
find_package(ODBC REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)

# The JDK 17 that Debian installs is preferred over any other JDK on the machine.
if(NOT DEFINED ENV{JAVA_HOME} AND EXISTS /usr/lib/jvm/java-17-openjdk-amd64)
  set(JAVA_HOME /usr/lib/jvm/java-17-openjdk-amd64)
  set(ENV{JAVA_HOME} ${JAVA_HOME})
endif()
find_package(Java 17 REQUIRED COMPONENTS Development Runtime)
find_package(JNI REQUIRED)
include(UseJava)
# JAVA_HOME of the JDK found here; the VM host falls back to it at run time.
get_filename_component(EDA_JDK_HOME "${Java_JAVAC_EXECUTABLE}" REALPATH)
get_filename_component(EDA_JDK_HOME "${EDA_JDK_HOME}" DIRECTORY)
get_filename_component(EDA_JDK_HOME "${EDA_JDK_HOME}" DIRECTORY)

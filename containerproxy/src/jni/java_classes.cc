#include "jni/java_classes.h"

namespace containerproxy {

ResultClass& resultClass() {
  static ResultClass* classes = new ResultClass;  // never destroyed: natives may run at exit
  return *classes;
}

PartPropertyClass& partPropertyClass() {
  static PartPropertyClass* classes = new PartPropertyClass;
  return *classes;
}

ContainerPropertyClass& containerPropertyClass() {
  static ContainerPropertyClass* classes = new ContainerPropertyClass;
  return *classes;
}

jnisupport::JavaClass& objectClass() {
  static jnisupport::JavaClass* type = new jnisupport::JavaClass("java/lang/Object");
  return *type;
}

}  // namespace containerproxy

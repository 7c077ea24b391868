// The Java classes of com.morvane.vxncontainer that the natives read and make, with their
// fields, looked up once per process.
#pragma once

#include "jnisupport/java_class.h"

namespace containerproxy {

struct ResultClass {
  jnisupport::JavaClass type{"com/morvane/vxncontainer/Result"};
  jnisupport::JavaMember ok{&type, jnisupport::JavaMember::kField, "OK", "Z"};
  jnisupport::JavaMember errMessage{&type, jnisupport::JavaMember::kField, "errMessage",
                                    "Ljava/lang/String;"};
  jnisupport::JavaMember ret{&type, jnisupport::JavaMember::kField, "ret", "Ljava/lang/String;"};
};

struct PartPropertyClass {
  jnisupport::JavaClass type{"com/morvane/vxncontainer/PartProperty"};
  jnisupport::JavaMember uri{&type, jnisupport::JavaMember::kField, "uri", "Ljava/lang/String;"};
  jnisupport::JavaMember name{&type, jnisupport::JavaMember::kField, "name", "Ljava/lang/String;"};
  jnisupport::JavaMember type_{&type, jnisupport::JavaMember::kField, "type", "Ljava/lang/String;"};
};

struct ContainerPropertyClass {
  jnisupport::JavaClass type{"com/morvane/vxncontainer/ContainerProperty"};
  jnisupport::JavaMember name{&type, jnisupport::JavaMember::kField, "name", "Ljava/lang/String;"};
  jnisupport::JavaMember value{&type, jnisupport::JavaMember::kField, "value",
                               "Ljava/lang/String;"};
};

ResultClass& resultClass();
PartPropertyClass& partPropertyClass();
ContainerPropertyClass& containerPropertyClass();
jnisupport::JavaClass& objectClass();

}  // namespace containerproxy

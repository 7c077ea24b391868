#include "shared_dir.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace edatest {

SharedDir::SharedDir() {
  char pattern[] = "/tmp/eda-shared-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  base_ = pattern;
  // The second user must be able to reach the shared directory through its parent.
  const std::string shared = base_ + "/shared";
  if (chmod(base_.c_str(), 0711) != 0 || mkdir(shared.c_str(), 0777) != 0 ||
      chmod(shared.c_str(), 01777) != 0) {
    return;
  }
  shared_ = shared;
}

SharedDir::~SharedDir() {
  std::error_code ignored;
  if (!base_.empty()) std::filesystem::remove_all(base_, ignored);
}

bool canActAsOtherUser() { return geteuid() == 0 && access("/usr/sbin/runuser", X_OK) == 0; }

bool asOtherUser(const std::string& shellCommand) {
  std::string quoted = "'";
  for (char c : shellCommand) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += "'";
  const std::string command =
      std::string("/usr/sbin/runuser -u ") + kOtherUser + " -- /bin/sh -c " + quoted;
  return std::system(command.c_str()) == 0;
}

bool ownerAndMode(const std::string& path, unsigned* uid, unsigned* mode) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return false;
  *uid = st.st_uid;
  *mode = st.st_mode & 07777;
  return true;
}

}  // namespace edatest

// A world-writable sticky directory, like /tmp, made for one test, and a second local user who
// plants things in it.
#pragma once

#include <string>

namespace edatest {

class SharedDir {
 public:
  SharedDir();   // made under /tmp; empty path() when it could not be made
  ~SharedDir();  // removes everything, whoever made it
  SharedDir(const SharedDir&) = delete;
  SharedDir& operator=(const SharedDir&) = delete;

  // The shared directory (mode 1777).
  const std::string& path() const { return shared_; }
  std::string path(const std::string& name) const { return shared_ + "/" + name; }

 private:
  std::string base_;
  std::string shared_;
};

// The second user's name and id.
constexpr const char* kOtherUser = "nobody";
constexpr unsigned kOtherUid = 65534;

// True when this process may act as the second user (it runs as root).
bool canActAsOtherUser();

// Runs a shell command as the second user; true when it exited with status 0.
bool asOtherUser(const std::string& shellCommand);

// The owner's id and the permission bits (07777) of a path, not following a final link; false
// when it does not exist.
bool ownerAndMode(const std::string& path, unsigned* uid, unsigned* mode);

}  // namespace edatest

// Where the library's messages go: the host's handler when one is installed, else one line
// "log: <text>" on the standard error stream.
#pragma once

#include <string>

namespace ecadbridge {

// The caption every message of the VM host and the EDA functions carries.
inline constexpr const char* kMessageCaption = "log";

void showMessage(const std::string& text);

}  // namespace ecadbridge

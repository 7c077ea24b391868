#pragma once

#include <ctime>

namespace platform {

// Converts a time to local calendar time; false when it cannot.
bool localTime(std::time_t t, std::tm* out);

}  // namespace platform

#include "platform/clock.h"

namespace platform {

bool localTime(std::time_t t, std::tm* out) { return ::localtime_r(&t, out) != nullptr; }

}  // namespace platform

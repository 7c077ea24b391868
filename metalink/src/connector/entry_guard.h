// Keeps exceptions of components (an exhausted allocator, a parser error) from leaving an entry
// point: the connector object is destroyed on the way out, which closes its connection, and the
// caller gets the failure value.
#pragma once

#include <exception>
#include <new>
#include <string>

#include "util/message_logger.h"

namespace metalink {

template <typename Result, typename Body>
Result runGuarded(Result onFailure, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    MessageLogger::error("ODBCCon", "Out of memory; the operation was abandoned");
  } catch (const std::exception& e) {
    try {
      MessageLogger::error("ODBCCon", std::string("The operation was abandoned: ") + e.what());
    } catch (...) {
    }
  } catch (...) {
    MessageLogger::error("ODBCCon", "The operation was abandoned");
  }
  return onFailure;
}

}  // namespace metalink

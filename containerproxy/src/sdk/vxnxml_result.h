// vxnxml_api::Result: the outcome of every SDK operation.
#pragma once

#include <utility>

#include "sdk/vxnxml_string.h"

namespace vxnxml_api {

class Result {
 public:
  Result() = default;  // success
  static Result Success() { return Result(); }
  static Result Failure(String message) {
    Result r;
    r.ok_ = false;
    r.message_ = std::move(message);
    return r;
  }

  bool Ok() const { return ok_; }
  // The failure text; empty on success.
  const String& GetMessage() const { return message_; }

 private:
  bool ok_ = true;
  String message_;
};

}  // namespace vxnxml_api

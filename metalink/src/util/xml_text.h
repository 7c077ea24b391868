// Text holders and attribute lookup for the XML readers (Xerces-C uses UTF-16 XMLCh).
#pragma once

#include <cstddef>
#include <memory>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

// A NUL-terminated UTF-16 copy of a UTF-8 text, for handing to the parser; null for null.
class A2XStr {
 public:
  explicit A2XStr(const char* utf8);
  virtual ~A2XStr() = default;
  A2XStr(const A2XStr&) = delete;
  A2XStr& operator=(const A2XStr&) = delete;

  const XMLCh* get() const { return buffer_.get(); }

 private:
  std::unique_ptr<XMLCh[]> buffer_;
};

// A NUL-terminated UTF-8 copy of a parser text; null for null.
class X2AStr {
 public:
  explicit X2AStr(const XMLCh* text);
  virtual ~X2AStr() = default;
  X2AStr(const X2AStr&) = delete;
  X2AStr& operator=(const X2AStr&) = delete;

  const char* get() const { return buffer_.get(); }

 private:
  std::unique_ptr<char[]> buffer_;
};

// Looks up an attribute of `element` by name, ignoring ASCII case, and takes the first match in
// the parser's order. On success `*text` owns a zero-terminated UTF-8 copy of the value and
// `*length` is its byte count. On failure `*text` is null and `*length` is 0.
bool getAttributeText(const XERCES_CPP_NAMESPACE::DOMElement* element, const char* name,
                      std::unique_ptr<char[]>* text, size_t* length);

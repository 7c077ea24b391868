// The Xerces-C boundary shared by the two XML readers (sync map and library file) and the
// library writer: initialisation for the length of one call, a DOM parser that reads only the
// named local file, and the conversion of whatever Xerces throws into a message.
#pragma once

#include <memory>
#include <string>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class ContentHandler;
class DOMDocument;
class SAX2XMLReader;
class XercesDOMParser;
class SecurityManager;
XERCES_CPP_NAMESPACE_END

// Initialises the Xerces library on construction and terminates it on destruction. Xerces counts
// the calls, so sessions nest. Every Xerces object of a call must be released before its session
// ends.
class XercesSession {
 public:
  XercesSession();
  ~XercesSession();
  XercesSession(const XercesSession&) = delete;
  XercesSession& operator=(const XercesSession&) = delete;

  // False when initialisation failed; `failureReason` then says why and nothing else may be used.
  bool ok() const { return ok_; }
  const std::string& failureReason() const { return failureReason_; }

 private:
  bool ok_ = false;
  std::string failureReason_;
};

// A non-validating, namespace-aware DOM parser for untrusted files: no DTD or external entity is
// ever loaded, entity expansion is capped (a "billion laughs" document fails), and any
// well-formedness error fails the parse instead of leaving a partial document behind.
// Must live inside a XercesSession.
class SafeDomParser {
 public:
  // Entity references a document may expand before it is refused. The predefined entities
  // (&amp; and so on) and character references do not count.
  static constexpr unsigned kEntityExpansionLimit = 10000;

  SafeDomParser();
  ~SafeDomParser();
  SafeDomParser(const SafeDomParser&) = delete;
  SafeDomParser& operator=(const SafeDomParser&) = delete;

  // Parses the local file at `path` (UTF-8; never taken as a URL). True when the file was read
  // without error; otherwise `*reason` describes the first error and where it is. Xerces may
  // still throw (out of memory); callers convert that with currentXercesExceptionReason.
  bool parseFile(const char* path, std::string* reason);

  // The parsed document, owned by the parser; null before a successful parse.
  XERCES_CPP_NAMESPACE::DOMDocument* document() const;

 private:
  class ErrorRecorder;
  std::unique_ptr<XERCES_CPP_NAMESPACE::SecurityManager> securityManager_;
  std::unique_ptr<ErrorRecorder> errors_;
  std::unique_ptr<XERCES_CPP_NAMESPACE::XercesDOMParser> parser_;
};

// The streaming counterpart of SafeDomParser, on the same settings: a SAX2 reader that hands
// every element to a content handler as it is read, so a file never has to fit in memory as a
// document. Must live inside a XercesSession.
class SafeSaxReader {
 public:
  SafeSaxReader();
  ~SafeSaxReader();
  SafeSaxReader(const SafeSaxReader&) = delete;
  SafeSaxReader& operator=(const SafeSaxReader&) = delete;

  // Parses the local file at `path` (UTF-8; never taken as a URL), calling `handler` for what it
  // reads. The handler may end the parse early by making `*stopReason` non-empty (it is looked
  // at after every step); that reason is then the result. True when the whole file was read
  // without error; otherwise `*reason` describes the first error and where it is. A handler
  // must expect a failed parse after it has seen part of the file. Xerces may still throw (out
  // of memory); callers convert that with currentXercesExceptionReason.
  bool parseFile(const char* path, XERCES_CPP_NAMESPACE::ContentHandler* handler,
                 const std::string* stopReason, std::string* reason);

 private:
  class ErrorRecorder;
  std::unique_ptr<XERCES_CPP_NAMESPACE::SecurityManager> securityManager_;
  std::unique_ptr<ErrorRecorder> errors_;
  std::unique_ptr<XERCES_CPP_NAMESPACE::SAX2XMLReader> reader_;
};

// Call only inside a catch block: the message of the exception being handled. Xerces XML, DOM,
// SAX and out-of-memory exceptions and std::bad_alloc give their message; anything else gives
// "unknown".
std::string currentXercesExceptionReason();

// Copies `message` into `*target`, cut to at most `maxBytes` bytes without splitting a UTF-8
// sequence (the fixed message buffers of the sync map and the library hold 500 characters
// including the terminator).
void assignLimited(std::string* target, const std::string& message, size_t maxBytes);

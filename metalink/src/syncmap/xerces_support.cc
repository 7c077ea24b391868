#include "syncmap/xerces_support.h"

#include <new>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMException.hpp>
#include <xercesc/framework/LocalFileInputSource.hpp>
#include <xercesc/framework/XMLPScanToken.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>

#include "util/xml_text.h"

using namespace XERCES_CPP_NAMESPACE;

namespace {

std::string narrow(const XMLCh* text) {
  const X2AStr converted(text);
  return converted.get() != nullptr ? std::string(converted.get()) : std::string();
}

std::string orUnknown(const std::string& text) { return text.empty() ? "unknown" : text; }

// Keeps the first error or fatal error. Without a handler Xerces only counts fatal errors and
// hands back whatever it had built, so a truncated file would look like a short one.
class XmlErrorRecorder : public ErrorHandler {
 public:
  void warning(const SAXParseException&) override {}
  void error(const SAXParseException& e) override { record(e); }
  void fatalError(const SAXParseException& e) override { record(e); }
  void resetErrors() override { message_.clear(); }

  bool failed() const { return !message_.empty(); }
  const std::string& message() const { return message_; }

 private:
  void record(const SAXParseException& e) {
    if (failed()) return;
    message_ = orUnknown(narrow(e.getMessage()));
    if (e.getLineNumber() > 0) {
      message_ += " at line " + std::to_string(e.getLineNumber()) + ", column " +
                  std::to_string(e.getColumnNumber());
    }
  }

  std::string message_;
};

}  // namespace

class SafeDomParser::ErrorRecorder : public XmlErrorRecorder {};
class SafeSaxReader::ErrorRecorder : public XmlErrorRecorder {};

XercesSession::XercesSession() {
  try {
    XMLPlatformUtils::Initialize();
    ok_ = true;
  } catch (...) {
    failureReason_ = currentXercesExceptionReason();
  }
}

XercesSession::~XercesSession() {
  if (ok_) XMLPlatformUtils::Terminate();
}

SafeDomParser::SafeDomParser()
    : securityManager_(new SecurityManager()),
      errors_(new ErrorRecorder()),
      parser_(new XercesDOMParser()) {
  securityManager_->setEntityExpansionLimit(kEntityExpansionLimit);
  parser_->setValidationScheme(XercesDOMParser::Val_Never);
  parser_->setDoNamespaces(true);
  parser_->setDoSchema(false);
  parser_->setLoadExternalDTD(false);
  parser_->setDisableDefaultEntityResolution(true);
  parser_->setSecurityManager(securityManager_.get());
  parser_->setCreateEntityReferenceNodes(false);
  parser_->setErrorHandler(errors_.get());
}

SafeDomParser::~SafeDomParser() {
  // The parser refers to the handler and the security manager: it goes first.
  parser_.reset();
}

bool SafeDomParser::parseFile(const char* path, std::string* reason) {
  errors_->resetErrors();
  if (path == nullptr) {
    *reason = "no path was given";
    return false;
  }
  const A2XStr widePath(path);
  // A local file source: a path such as "http://..." is never fetched.
  LocalFileInputSource source(widePath.get());
  parser_->parse(source);
  if (errors_->failed()) {
    *reason = errors_->message();
    return false;
  }
  return true;
}

DOMDocument* SafeDomParser::document() const { return parser_->getDocument(); }

SafeSaxReader::SafeSaxReader()
    : securityManager_(new SecurityManager()),
      errors_(new ErrorRecorder()),
      reader_(XMLReaderFactory::createXMLReader()) {
  securityManager_->setEntityExpansionLimit(SafeDomParser::kEntityExpansionLimit);
  reader_->setFeature(XMLUni::fgSAX2CoreValidation, false);
  reader_->setFeature(XMLUni::fgXercesDynamic, false);
  reader_->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
  reader_->setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, false);
  reader_->setFeature(XMLUni::fgXercesSchema, false);
  reader_->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  reader_->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  reader_->setProperty(XMLUni::fgXercesSecurityManager, securityManager_.get());
  reader_->setErrorHandler(errors_.get());
}

SafeSaxReader::~SafeSaxReader() {
  // The reader refers to the handler and the security manager: it goes first.
  reader_.reset();
}

bool SafeSaxReader::parseFile(const char* path, ContentHandler* handler,
                              const std::string* stopReason, std::string* reason) {
  errors_->resetErrors();
  if (path == nullptr) {
    *reason = "no path was given";
    return false;
  }
  const A2XStr widePath(path);
  LocalFileInputSource source(widePath.get());
  reader_->setContentHandler(handler);
  // A progressive parse, so that a handler can end it without an exception.
  XMLPScanToken token;
  bool more = reader_->parseFirst(source, token);
  while (more && !errors_->failed() && stopReason->empty()) more = reader_->parseNext(token);
  const bool complete = !errors_->failed() && stopReason->empty();
  if (more) reader_->parseReset(token);
  reader_->setContentHandler(nullptr);
  if (errors_->failed()) {
    *reason = errors_->message();
  } else if (!stopReason->empty()) {
    *reason = *stopReason;
  }
  return complete;
}

std::string currentXercesExceptionReason() {
  try {
    throw;
  } catch (const XMLException& e) {
    return orUnknown(narrow(e.getMessage()));
  } catch (const DOMException& e) {
    return orUnknown(narrow(e.getMessage()));
  } catch (const SAXException& e) {
    return orUnknown(narrow(e.getMessage()));
  } catch (const OutOfMemoryException&) {
    return "out of memory";
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (...) {
    return "unknown";
  }
}

void assignLimited(std::string* target, const std::string& message, size_t maxBytes) {
  if (message.size() <= maxBytes) {
    *target = message;
    return;
  }
  size_t cut = maxBytes;
  // Step back over continuation bytes so the cut falls before a lead byte.
  while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
  target->assign(message, 0, cut);
}

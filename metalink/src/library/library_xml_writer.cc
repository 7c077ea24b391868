// EDALibrary::save: the library as one DOM document, serialised to EDALib.xml.
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/LocalFileFormatTarget.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <cstdio>
#include <ctime>

#include "library/eda_library.h"
#include "library/library_xml_names.h"
#include "platform/clock.h"
#include "syncmap/xerces_support.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"
#include "util/xml_text.h"

using namespace XERCES_CPP_NAMESPACE;

namespace {

constexpr const char* kSource = "EDALibrary";

// Releases a Xerces object that is freed with release().
struct Releaser {
  template <typename T>
  void operator()(T* object) const {
    if (object != nullptr) object->release();
  }
};

// The serialiser reports problems (such as a character XML cannot carry) here; the first error
// becomes the reason of the failure.
class SerializerErrors : public DOMErrorHandler {
 public:
  bool handleError(const DOMError& error) override {
    if (error.getSeverity() != DOMError::DOM_SEVERITY_WARNING && message_.empty()) {
      const X2AStr text(error.getMessage());
      message_ = text.get() != nullptr && *text.get() != '\0' ? text.get() : "unknown";
    }
    return true;
  }
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

std::string exportDate() {
  std::tm local;
  if (!platform::localTime(std::time(nullptr), &local)) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

class DocumentBuilder {
 public:
  explicit DocumentBuilder(DOMDocument* document)
      : document_(document), root_(document->getDocumentElement()) {}

  DOMElement* append(DOMElement* parent, const XMLCh* localName) {
    qualified_ = std::u16string(LibraryXml::kPrefix) + u":" + localName;
    DOMElement* element = document_->createElementNS(LibraryXml::kNamespace, qualified_.c_str());
    parent->appendChild(element);
    return element;
  }
  DOMElement* appendToRoot(const XMLCh* localName) { return append(root_, localName); }

  static void set(DOMElement* element, const XMLCh* name, const std::string& value) {
    element->setAttributeNS(nullptr, name, toWide(value).c_str());
  }

  void addRelations(const EDAContextObject& primary) {
    for (const EDARelation* relation : primary.getRelations()) {
      DOMElement* element = appendToRoot(LibraryXml::kRelation);
      set(element, u"elemId", relation->getElemId());
      set(element, u"secondary", relation->getSecondary()->getElemId());
      set(element, u"primary", relation->getPrimary()->getElemId());
    }
  }

 private:
  DOMDocument* document_;
  DOMElement* root_;
  std::u16string qualified_;
};

void buildDocument(const EDALibrary& library, DOMDocument* document) {
  DocumentBuilder builder(document);
  DOMElement* root = document->getDocumentElement();
  root->setPrefix(LibraryXml::kPrefix);
  const std::u16string declaration = std::u16string(u"xmlns:") + LibraryXml::kPrefix;
  root->setAttributeNS(XMLUni::fgXMLNSURIName, declaration.c_str(), LibraryXml::kNamespace);

  DOMElement* header = builder.appendToRoot(LibraryXml::kLibrary);
  DocumentBuilder::set(header, u"elemId", library.getElemId());
  DocumentBuilder::set(header, u"name", library.getName());
  DocumentBuilder::set(header, u"folder", library.getFolder());
  DocumentBuilder::set(header, u"exportDate", exportDate());

  std::vector<EDAWorkspaceObject*> objects;
  std::vector<EDAAttribute*> attributes;
  library.getObjects("EDAItem", &objects);
  for (EDAWorkspaceObject* object : objects) {
    const auto* item = dynamic_cast<const EDAItem*>(object);
    if (item == nullptr) continue;
    DOMElement* element = builder.appendToRoot(LibraryXml::kItem);
    DocumentBuilder::set(element, u"elemId", item->getElemId());
    DocumentBuilder::set(element, u"itemId", item->getItemId());
    DocumentBuilder::set(element, u"name", item->getName());
    DocumentBuilder::set(element, u"type", item->getType());
    DocumentBuilder::set(element, u"category", item->getValue("category", false));
    DocumentBuilder::set(element, u"libraryId", item->getLibraryId());
    DocumentBuilder::set(element, u"releaseStatus", item->getValue("releaseStatus", false));
    DocumentBuilder::set(element, u"revision", item->getValue("revision", false));
    item->getAttributes(&attributes);
    for (const EDAAttribute* attribute : attributes) {
      DOMElement* entry = builder.append(element, LibraryXml::kAttribute);
      DocumentBuilder::set(entry, u"elemId", attribute->getElemId());
      DocumentBuilder::set(entry, u"name", attribute->getName());
      DocumentBuilder::set(entry, u"value", attribute->getValue());
      DocumentBuilder::set(entry, u"unit", attribute->getUnit());
      DocumentBuilder::set(entry, u"type", attribute->getType());
      DocumentBuilder::set(entry, u"required", attribute->getRequiredText());
    }
    builder.addRelations(*item);
  }

  library.getObjects("EDAGde", &objects);
  for (EDAWorkspaceObject* object : objects) {
    const auto* gde = dynamic_cast<const EDAGde*>(object);
    if (gde == nullptr) continue;
    DOMElement* element = builder.appendToRoot(LibraryXml::kGde);
    DocumentBuilder::set(element, u"elemId", gde->getElemId());
    DocumentBuilder::set(element, u"name", gde->getName());
    DocumentBuilder::set(element, u"type", gde->getType());
    DocumentBuilder::set(element, u"libraryId", gde->getLibraryId());
    DocumentBuilder::set(element, u"releaseStatus", gde->getReleaseStatus());
    builder.addRelations(*gde);
  }

  // Relations of datasets are not part of the file.
  library.getObjects("EDADataset", &objects);
  for (EDAWorkspaceObject* object : objects) {
    const auto* dataset = dynamic_cast<const EDADataset*>(object);
    if (dataset == nullptr) continue;
    DOMElement* element = builder.appendToRoot(LibraryXml::kDataset);
    DocumentBuilder::set(element, u"elemId", dataset->getElemId());
    DocumentBuilder::set(element, u"name", dataset->getName());
    DocumentBuilder::set(element, u"type", dataset->getType());
    DocumentBuilder::set(element, u"folder", dataset->getFolder());
  }
}

// Serialises `document` to `path`; false with `*reason` set when it could not be written whole.
bool writeDocument(DOMImplementation* implementation, const DOMDocument* document,
                   const std::string& path, std::string* reason) {
  SerializerErrors errors;
  std::unique_ptr<DOMLSSerializer, Releaser> serializer(implementation->createLSSerializer());
  serializer->getDomConfig()->setParameter(XMLUni::fgDOMErrorHandler, &errors);
  std::unique_ptr<DOMLSOutput, Releaser> output(implementation->createLSOutput());
  const A2XStr widePath(path.c_str());
  bool written = false;
  {
    LocalFileFormatTarget target(widePath.get());
    output->setByteStream(&target);
    written = serializer->write(document, output.get());
    // Flushing here, not in the destructor, lets a write error reach the caller.
    if (written) target.flush();
  }
  if (!written) *reason = errors.message().empty() ? "the document could not be serialised"
                                                   : errors.message();
  return written;
}

}  // namespace

bool EDALibrary::save(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  XercesSession session;
  if (!session.ok()) {
    setLastError("Fail to save EDALib.xml because " + session.failureReason());
    MessageLogger::error(kSource, lastError_);
    return false;
  }
  // The document goes to a temporary file that replaces the target only once it is complete.
  const std::string target = path;
  const std::string temporary = target + ".tmp";
  std::string reason;
  bool result = false;
  try {
    DOMImplementation* implementation = DOMImplementationRegistry::getDOMImplementation(u"Core");
    if (implementation == nullptr) return false;
    std::unique_ptr<DOMDocument, Releaser> document(
        implementation->createDocument(LibraryXml::kNamespace, LibraryXml::kRoot, nullptr));
    if (document == nullptr) return false;
    buildDocument(*this, document.get());
    result = writeDocument(implementation, document.get(), temporary, &reason);
  } catch (...) {
    reason = currentXercesExceptionReason();
    result = false;
  }
  if (result && std::rename(temporary.c_str(), target.c_str()) != 0) {
    reason = "the file " + target + " cannot be replaced";
    result = false;
  }
  if (!result) {
    std::remove(temporary.c_str());
    if (!reason.empty()) {
      setLastError("Fail to save EDALib.xml because " + reason);
      MessageLogger::error(kSource, lastError_);
    }
  }
  return result;
}

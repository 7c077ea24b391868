// EDALibrary::load: reads EDALib.xml into the library, giving every object a new identity and
// reconnecting relations and reference attributes through the identities of the file.
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>

#include <unordered_map>
#include <unordered_set>

#include "library/eda_library.h"
#include "library/library_xml_names.h"
#include "syncmap/xerces_support.h"
#include "util/connector_util.h"
#include "util/message_logger.h"
#include "util/xml_text.h"

using namespace XERCES_CPP_NAMESPACE;

namespace {

constexpr const char* kSource = "EDALibrary";

// True when the element has the attribute (name matched ignoring ASCII case); `*value` is then
// its text, possibly empty.
bool readAttribute(const DOMElement* element, const char* name, std::string* value) {
  std::unique_ptr<char[]> text;
  size_t length = 0;
  if (!getAttributeText(element, name, &text, &length)) return false;
  value->assign(text.get(), length);
  return true;
}

// An absent attribute reads as the empty text.
std::string attributeOf(const DOMElement* element, const char* name) {
  std::string value;
  readAttribute(element, name, &value);
  return value;
}

// The file's elements of each kind, in document order.
struct FileElements {
  std::vector<const DOMElement*> libraries;
  std::vector<const DOMElement*> items;
  std::vector<const DOMElement*> gdes;
  std::vector<const DOMElement*> datasets;
  std::vector<const DOMElement*> relations;
};

// Collects the elements below `root` that are in the root's namespace, at any depth. The walk
// keeps no stack, so however deeply a file nests it cannot exhaust ours.
void collect(const DOMElement* root, FileElements* out) {
  const XMLCh* ns = root->getNamespaceURI();
  const DOMNode* node = root->getFirstChild();
  while (node != nullptr) {
    if (node->getNodeType() == DOMNode::ELEMENT_NODE) {
      if (XMLString::equals(node->getNamespaceURI(), ns)) {
        const XMLCh* local = node->getLocalName();
        const auto* element = static_cast<const DOMElement*>(node);
        if (XMLString::equals(local, LibraryXml::kLibrary)) {
          out->libraries.push_back(element);
        } else if (XMLString::equals(local, LibraryXml::kItem)) {
          out->items.push_back(element);
        } else if (XMLString::equals(local, LibraryXml::kGde)) {
          out->gdes.push_back(element);
        } else if (XMLString::equals(local, LibraryXml::kDataset)) {
          out->datasets.push_back(element);
        } else if (XMLString::equals(local, LibraryXml::kRelation)) {
          out->relations.push_back(element);
        }
      }
      if (node->getFirstChild() != nullptr) {
        node = node->getFirstChild();
        continue;
      }
    }
    while (node != root && node->getNextSibling() == nullptr) node = node->getParentNode();
    if (node == root) break;
    node = node->getNextSibling();
  }
}

}  // namespace

class EDALibrary::XmlReader {
 public:
  explicit XmlReader(EDALibrary* library) : library_(library) {}

  void read(const DOMElement* root) {
    FileElements elements;
    collect(root, &elements);
    library_->clear();
    for (const DOMElement* element : elements.libraries) readLibrary(element);
    for (const DOMElement* element : elements.items) readItem(element);
    for (const DOMElement* element : elements.gdes) readGde(element);
    for (const DOMElement* element : elements.datasets) readDataset(element);
    for (const DOMElement* element : elements.relations) readRelation(element);
    resolveReferences();
  }

 private:
  void readLibrary(const DOMElement* element) {
    library_->setName(attributeOf(element, "name"));
    std::string folder = attributeOf(element, "folder");
    ConnectorUtil::toWindowsPath(folder);
    library_->setFolder(folder);
  }

  void readItem(const DOMElement* element) {
    EDAItem* item = library_->createItem(attributeOf(element, "itemId"),
                                         attributeOf(element, "name"), attributeOf(element, "type"));
    if (item == nullptr) return;
    remember(attributeOf(element, "elemId"), item);
    std::string text;
    if (readAttribute(element, "category", &text) && !text.empty()) {
      item->setCategory(text);
      library_->categories_.insert(text);
    }
    if (readAttribute(element, "releaseStatus", &text)) item->setReleaseStatus(text);
    if (readAttribute(element, "revision", &text)) item->setRevision(text);

    // Every element child is an attribute entry, whatever its name.
    for (const DOMNode* node = element->getFirstChild(); node; node = node->getNextSibling()) {
      if (node->getNodeType() != DOMNode::ELEMENT_NODE) continue;
      const auto* entry = static_cast<const DOMElement*>(node);
      EDAAttribute* attribute = item->getOrCreateAttribute(attributeOf(entry, "name"));
      if (attribute == nullptr) continue;
      if (readAttribute(entry, "value", &text)) attribute->setValue(text);
      if (readAttribute(entry, "type", &text)) attribute->setType(text);
      if (readAttribute(entry, "unit", &text)) attribute->setUnit(text);
      attribute->setRequiredFromText(attributeOf(entry, "required"));
      if (attribute->isReference() && referenceSet_.insert(attribute).second) {
        references_.push_back(attribute);
      }
    }
  }

  void readGde(const DOMElement* element) {
    EDAGde* gde = library_->createGde(attributeOf(element, "name"), attributeOf(element, "type"));
    if (gde != nullptr) remember(attributeOf(element, "elemId"), gde);
  }

  void readDataset(const DOMElement* element) {
    EDADataset* dataset =
        library_->createDataset(attributeOf(element, "name"), attributeOf(element, "type"));
    if (dataset == nullptr) return;
    remember(attributeOf(element, "elemId"), dataset);
    std::string folder;
    if (readAttribute(element, "folder", &folder)) dataset->setFolder(folder);
  }

  // A relation whose ends are missing or name no object of the file is skipped.
  void readRelation(const DOMElement* element) {
    EDAWorkspaceObject* primary = lookup(attributeOf(element, "primary"));
    EDAWorkspaceObject* secondary = lookup(attributeOf(element, "secondary"));
    if (primary == nullptr || secondary == nullptr) return;
    primary->addRelation(attributeOf(element, "type"), secondary);
  }

  void resolveReferences() {
    for (EDAAttribute* attribute : references_) {
      // A later entry of the same name may have changed the type.
      if (!attribute->isReference()) continue;
      if (const EDAWorkspaceObject* target = lookup(attribute->getValue())) {
        attribute->setValue(target->getElemId());
        continue;
      }
      library_->setLastError("Invalid reference attribute " + attribute->getName() +
                             " because the referenced object cannot be found");
      MessageLogger::warn(kSource, library_->lastError_);
    }
  }

  // On a repeated identity the first object keeps it. An empty identity names nothing, so an
  // empty reference never resolves to an object that merely lacked its elemId.
  void remember(const std::string& fileId, EDAWorkspaceObject* object) {
    if (!fileId.empty()) fileMap_.emplace(fileId, object);
  }

  EDAWorkspaceObject* lookup(const std::string& fileId) const {
    if (fileId.empty()) return nullptr;
    const auto it = fileMap_.find(fileId);
    return it == fileMap_.end() ? nullptr : it->second;
  }

  EDALibrary* library_;
  std::unordered_map<std::string, EDAWorkspaceObject*> fileMap_;
  std::vector<EDAAttribute*> references_;
  std::unordered_set<const EDAAttribute*> referenceSet_;
};

bool EDALibrary::load(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  const auto fail = [this, path](const std::string& reason) {
    setLastError("Fail to load the edalib.xml file from " + std::string(path) + " because " +
                 reason);
    MessageLogger::error(kSource, lastError_);
  };
  XercesSession session;
  if (!session.ok()) {
    fail(session.failureReason());
    return false;
  }
  try {
    SafeDomParser parser;
    std::string reason;
    if (!parser.parseFile(path, &reason)) {
      fail(reason);
      return false;
    }
    const DOMDocument* document = parser.document();
    const DOMElement* root = document != nullptr ? document->getDocumentElement() : nullptr;
    if (root != nullptr) XmlReader(this).read(root);
  } catch (...) {
    fail(currentXercesExceptionReason());
    return false;
  }
  return true;
}

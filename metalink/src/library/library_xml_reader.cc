// EDALibrary::load: reads EDALib.xml into the library, giving every object a new identity and
// reconnecting relations and reference attributes through the identities of the file.
#include <unordered_map>
#include <unordered_set>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>

#include "library/eda_library.h"
#include "library/library_xml_names.h"
#include "platform/text.h"
#include "syncmap/xerces_support.h"
#include "util/connector_util.h"
#include "util/message_logger.h"

using namespace XERCES_CPP_NAMESPACE;

namespace {

constexpr const char* kSource = "EDALibrary";

// The values of the wanted attributes of one element, read in one pass over its attributes.
// Names match ignoring ASCII case and the first match in the element's attribute list wins, as
// with getAttributeText; this avoids converting every attribute name for every lookup, which
// dominated the reading of large files.
template <size_t N>
class Attributes {
 public:
  Attributes(const DOMElement* element, const char* const (&names)[N]) {
    const DOMNamedNodeMap* map = element->getAttributes();
    const XMLSize_t count = map != nullptr ? map->getLength() : 0;
    for (XMLSize_t i = 0; i < count; ++i) {
      const DOMNode* attribute = map->item(i);
      for (size_t k = 0; k < N; ++k) {
        if (values_[k] == nullptr && sameName(attribute->getNodeName(), names[k])) {
          values_[k] = attribute->getNodeValue();
          if (values_[k] == nullptr) values_[k] = u"";
          break;
        }
      }
    }
  }

  bool has(size_t k) const { return values_[k] != nullptr; }
  // The value as UTF-8; empty when absent.
  std::string text(size_t k) const {
    return has(k) ? platform::utf16ToUtf8(std::u16string_view(values_[k])) : std::string();
  }

 private:
  // `wanted` is ASCII, so a name with any other character never matches.
  static bool sameName(const XMLCh* name, const char* wanted) {
    for (; *wanted != '\0'; ++name, ++wanted) {
      XMLCh c = *name;
      if (c >= u'A' && c <= u'Z') c = static_cast<XMLCh>(c - u'A' + u'a');
      char w = *wanted;
      if (w >= 'A' && w <= 'Z') w = static_cast<char>(w - 'A' + 'a');
      if (c != static_cast<unsigned char>(w)) return false;
    }
    return *name == 0;
  }

  const XMLCh* values_[N] = {};
};

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
    static const char* const kNames[] = {"name", "folder"};
    const Attributes<2> a(element, kNames);
    library_->setName(a.text(0));
    std::string folder = a.text(1);
    ConnectorUtil::toWindowsPath(folder);
    library_->setFolder(folder);
  }

  void readItem(const DOMElement* element) {
    enum { kElemId, kItemId, kName, kType, kCategory, kStatus, kRevision };
    static const char* const kNames[] = {"elemId",   "itemId",        "name",    "type",
                                         "category", "releaseStatus", "revision"};
    const Attributes<7> a(element, kNames);
    EDAItem* item = library_->createItem(a.text(kItemId), a.text(kName), a.text(kType));
    if (item == nullptr) return;
    remember(a.text(kElemId), item);
    const std::string category = a.text(kCategory);
    if (!category.empty()) {
      item->setCategory(category);
      library_->categories_.insert(category);
    }
    if (a.has(kStatus)) item->setReleaseStatus(a.text(kStatus));
    if (a.has(kRevision)) item->setRevision(a.text(kRevision));

    readEntries(element, item);
  }

  // Every element child is an attribute entry, whatever its name.
  void readEntries(const DOMElement* element, EDAWorkspaceObject* object) {
    for (const DOMNode* node = element->getFirstChild(); node; node = node->getNextSibling()) {
      if (node->getNodeType() != DOMNode::ELEMENT_NODE) continue;
      readEntry(static_cast<const DOMElement*>(node), object);
    }
  }

  void readEntry(const DOMElement* entry, EDAWorkspaceObject* item) {
    enum { kName, kValue, kType, kUnit, kRequired };
    static const char* const kNames[] = {"name", "value", "type", "unit", "required"};
    const Attributes<5> a(entry, kNames);
    EDAAttribute* attribute = item->getOrCreateAttribute(a.text(kName));
    if (attribute == nullptr) return;
    if (a.has(kValue)) attribute->setValue(a.text(kValue));
    if (a.has(kType)) attribute->setType(a.text(kType));
    if (a.has(kUnit)) attribute->setUnit(a.text(kUnit));
    attribute->setRequiredFromText(a.text(kRequired));
    if (attribute->isReference() && referenceSet_.insert(attribute).second) {
      references_.push_back(attribute);
    }
  }

  void readGde(const DOMElement* element) {
    static const char* const kNames[] = {"elemId", "name", "type"};
    const Attributes<3> a(element, kNames);
    EDAGde* gde = library_->createGde(a.text(1), a.text(2));
    if (gde == nullptr) return;
    remember(a.text(0), gde);
    readEntries(element, gde);
  }

  void readDataset(const DOMElement* element) {
    static const char* const kNames[] = {"elemId", "name", "type", "folder"};
    const Attributes<4> a(element, kNames);
    EDADataset* dataset = library_->createDataset(a.text(1), a.text(2));
    if (dataset == nullptr) return;
    remember(a.text(0), dataset);
    if (a.has(3)) dataset->setFolder(a.text(3));
  }

  // A relation whose ends are missing or name no object of the file is skipped.
  void readRelation(const DOMElement* element) {
    static const char* const kNames[] = {"primary", "secondary", "type"};
    const Attributes<3> a(element, kNames);
    EDAWorkspaceObject* primary = lookup(a.text(0));
    EDAWorkspaceObject* secondary = lookup(a.text(1));
    if (primary == nullptr || secondary == nullptr) return;
    primary->addRelation(a.text(2), secondary);
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

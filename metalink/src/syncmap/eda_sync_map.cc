#include "syncmap/eda_sync_map.h"

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>

#include "syncmap/xerces_support.h"
#include "util/connector_util.h"
#include "util/message_logger.h"
#include "util/xml_text.h"

using namespace XERCES_CPP_NAMESPACE;

namespace {

constexpr const char* kSource = "EDASyncMap";

// The local name of an element, so that a namespace prefix does not matter.
const XMLCh* localNameOf(const DOMNode* node) {
  const XMLCh* local = node->getLocalName();
  return local != nullptr ? local : node->getNodeName();
}

bool hasLocalName(const DOMNode* node, const XMLCh* name) {
  return XMLString::equals(localNameOf(node), name);
}

const DOMElement* firstChildElement(const DOMNode* node) {
  for (const DOMNode* child = node->getFirstChild(); child; child = child->getNextSibling()) {
    if (child->getNodeType() == DOMNode::ELEMENT_NODE) return static_cast<const DOMElement*>(child);
  }
  return nullptr;
}

const DOMElement* nextSiblingElement(const DOMNode* node) {
  for (const DOMNode* next = node->getNextSibling(); next; next = next->getNextSibling()) {
    if (next->getNodeType() == DOMNode::ELEMENT_NODE) return static_cast<const DOMElement*>(next);
  }
  return nullptr;
}

// An absent attribute reads as the empty text.
std::string attributeOf(const DOMElement* element, const char* name) {
  std::unique_ptr<char[]> text;
  size_t length = 0;
  if (!getAttributeText(element, name, &text, &length)) return std::string();
  return std::string(text.get(), length);
}

void collectByType(const std::vector<CEDAElement*>& elements, const std::string& type,
                   std::vector<CEDAElement*>* out) {
  for (CEDAElement* element : elements) {
    if (element == nullptr) continue;
    if (ConnectorUtil::equalsIgnoreAsciiCase(element->getType(), type)) out->push_back(element);
    collectByType(element->getChildren(), type, out);
  }
}

}  // namespace

CEDASyncMap::CEDASyncMap() = default;

// Elements refer to columns, so they go before the tables.
CEDASyncMap::~CEDASyncMap() { elements_.clear(); }

bool CEDASyncMap::load(const char* path) {
  if (path == nullptr) return false;
  XercesSession session;
  if (!session.ok()) {
    fail(path, session.failureReason());
    return false;
  }
  try {
    SafeDomParser parser;
    std::string reason;
    if (!parser.parseFile(path, &reason)) {
      fail(path, reason);
      return false;
    }
    const DOMDocument* document = parser.document();
    const DOMElement* root = document != nullptr ? document->getDocumentElement() : nullptr;
    if (root != nullptr && !readChildren(root, nullptr, 0)) {
      fail(path,
           "element entries are nested more than " + std::to_string(kMaxNesting) + " levels deep");
      return false;
    }
  } catch (...) {
    fail(path, currentXercesExceptionReason());
    return false;
  }
  return true;
}

bool CEDASyncMap::readChildren(const DOMElement* parent, CEDAElement* enclosing, int depth) {
  for (const DOMElement* node = firstChildElement(parent); node; node = nextSiblingElement(node)) {
    if (hasLocalName(node, u"element")) {
      if (depth >= kMaxNesting) return false;
      auto element =
          std::make_unique<CEDAElement>(attributeOf(node, "name"), attributeOf(node, "type"),
                                        attributeOf(node, "relation"), enclosing);
      CEDAElement* added = element.get();
      if (enclosing != nullptr) {
        enclosing->addChild(std::move(element));
      } else {
        elements_.push_back(std::move(element));
      }
      if (!readChildren(node, added, depth + 1)) return false;
    } else if (hasLocalName(node, u"property")) {
      // A property outside any element has nothing to belong to.
      if (enclosing != nullptr) readProperty(node, enclosing);
    }
    // Anything else is skipped with its whole content.
  }
  return true;
}

void CEDASyncMap::readProperty(const DOMElement* node, CEDAElement* enclosing) {
  CEDAProperty* property = enclosing->addProperty(std::make_unique<CEDAProperty>(
      attributeOf(node, "name"), attributeOf(node, "required") == "true", enclosing));
  const DOMElement* table = firstChildElement(node);
  while (table != nullptr && !hasLocalName(table, u"table")) table = nextSiblingElement(table);
  if (table == nullptr) return;
  const DOMElement* column = firstChildElement(table);
  if (column == nullptr || !hasLocalName(column, u"column")) return;
  property->setColumn(registerColumn(attributeOf(table, "name"), attributeOf(column, "name")));
}

CEDAColumn* CEDASyncMap::registerColumn(const std::string& tableName,
                                        const std::string& columnName) {
  std::string key = tableName;
  ConnectorUtil::toLowerAscii(key);
  auto& table = tables_[key];
  if (table == nullptr) table = std::make_unique<CEDATable>(tableName);
  return table->addColumn(std::make_unique<CEDAColumn>(table.get(), columnName));
}

std::vector<CEDAElement*> CEDASyncMap::getElements() const {
  std::vector<CEDAElement*> out;
  out.reserve(elements_.size());
  for (const auto& element : elements_) out.push_back(element.get());
  return out;
}

std::vector<CEDAElement*> CEDASyncMap::findElementsByType(const std::vector<CEDAElement*>& elements,
                                                          const std::string& type) const {
  std::vector<CEDAElement*> out;
  collectByType(elements, type, &out);
  return out;
}

std::vector<CEDATable*> CEDASyncMap::getTables() const {
  std::vector<CEDATable*> out;
  out.reserve(tables_.size());
  for (const auto& entry : tables_) out.push_back(entry.second.get());
  return out;
}

std::vector<std::string> CEDASyncMap::getTableNames() const {
  std::vector<std::string> out;
  out.reserve(tables_.size());
  for (const auto& entry : tables_) out.push_back(entry.second->getName());
  return out;
}

CEDATable* CEDASyncMap::findTable(const std::string& name) const {
  std::string key = name;
  ConnectorUtil::toLowerAscii(key);
  const auto it = tables_.find(key);
  return it == tables_.end() ? nullptr : it->second.get();
}

void CEDASyncMap::fail(const char* path, const std::string& reason) {
  assignLimited(
      &lastError_,
      "Fail to load the EDASyncMap.xml file from " + std::string(path) + " because " + reason,
      kMaxErrorLength);
  MessageLogger::error(kSource, lastError_);
}

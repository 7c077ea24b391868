// EDALibrary::load: reads EDALib.xml into the library, giving every object a new identity and
// reconnecting relations and reference attributes through the identities of the file.
//
// The file is read as a stream: items are built while their elements go by, so the file never
// sits in memory as a document. What is read is kept apart from the library until the whole
// file has been read without error, so a broken file leaves the library as it was. Objects are
// built in the order a reader of the finished document would build them (all items with their
// attributes, then GDE objects, datasets, relations), so identities come out the same whatever
// the order of the file.
#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/util/XMLString.hpp>

#include "library/eda_library.h"
#include "library/file_identities.h"
#include "library/library_xml_names.h"
#include "platform/text.h"
#include "syncmap/xerces_support.h"
#include "util/connector_util.h"
#include "util/message_logger.h"

using namespace XERCES_CPP_NAMESPACE;

namespace {

constexpr const char* kSource = "EDALibrary";

// Elements nested deeper than this fail the load. No library file comes near it; the bound keeps
// the stack of open elements small whatever a file holds.
constexpr size_t kMaxNesting = 1000;

// Items get room for as many attributes as the item before had, up to this many.
constexpr size_t kMaxAttributeRoom = 64;

// The values of the wanted attributes of one element, read in one pass over its attributes.
// Names match ignoring ASCII case and the first match in the element's attribute list wins.
template <size_t N>
class Wanted {
 public:
  Wanted(const Attributes& attributes, const char* const (&names)[N]) {
    const XMLSize_t count = attributes.getLength();
    for (XMLSize_t i = 0; i < count; ++i) {
      const XMLCh* name = attributes.getQName(i);
      for (size_t k = 0; k < N; ++k) {
        if (values_[k] == nullptr && sameName(name, names[k])) {
          values_[k] = attributes.getValue(i);
          if (values_[k] == nullptr) values_[k] = u"";
          break;
        }
      }
    }
  }

  bool has(size_t k) const { return values_[k] != nullptr; }
  // The value as the parser gives it; empty when absent.
  std::u16string_view view(size_t k) const {
    return has(k) ? std::u16string_view(values_[k]) : std::u16string_view();
  }
  // The value as UTF-8; empty when absent.
  std::string text(size_t k) const { return platform::utf16ToUtf8(view(k)); }
  // True when the value is "true" in any letter case.
  bool isTrue(size_t k) const { return has(k) && sameName(values_[k], "true"); }

 private:
  // `wanted` is ASCII, so a name with any other character never matches.
  // Files nearly always spell names as written, so case is folded only where units differ.
  static bool sameName(const XMLCh* name, const char* wanted) {
    const auto fold = [](char16_t c) {
      return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    for (; *wanted != '\0'; ++name, ++wanted) {
      const XMLCh c = *name;
      const auto w = static_cast<char16_t>(static_cast<unsigned char>(*wanted));
      if (c != w && fold(c) != fold(w)) return false;
    }
    return *name == 0;
  }

  const XMLCh* values_[N] = {};
};

// An attribute entry as the parser gives it; absent parts leave the attribute as it is. The
// texts are views of the parser's, valid while the element is reported, or of a KeptEntry.
struct Entry {
  std::u16string_view name, value, type, unit;
  bool hasValue = false, hasType = false, hasUnit = false, required = false;
};

Entry readEntry(const Attributes& attributes) {
  enum { kName, kValue, kType, kUnit, kRequired };
  static const char* const kNames[] = {"name", "value", "type", "unit", "required"};
  const Wanted<5> a(attributes, kNames);
  Entry entry;
  entry.name = a.view(kName);
  entry.hasValue = a.has(kValue);
  entry.value = a.view(kValue);
  entry.hasType = a.has(kType);
  entry.type = a.view(kType);
  entry.hasUnit = a.has(kUnit);
  entry.unit = a.view(kUnit);
  entry.required = a.isTrue(kRequired);
  return entry;
}

// An entry that waits for the end of the file, with its own copy of the texts.
class KeptEntry {
 public:
  explicit KeptEntry(const Entry& entry)
      : flags_(entry),
        name_(entry.name),
        value_(entry.value),
        type_(entry.type),
        unit_(entry.unit) {
    flags_.name = flags_.value = flags_.type = flags_.unit = std::u16string_view();
  }
  // Views of the copies, valid while this entry stays where it is.
  Entry get() const {
    Entry entry = flags_;
    entry.name = name_;
    entry.value = value_;
    entry.type = type_;
    entry.unit = unit_;
    return entry;
  }

 private:
  Entry flags_;  // The flags of the entry; its texts are the copies below.
  std::u16string name_, value_, type_, unit_;
};

// True when `text` is `ascii`: nearly every entry repeats the type and unit its attribute has.
// Text that is not ASCII is reported as different, and merely set again.
bool sameAscii(std::u16string_view text, const std::string& ascii) {
  if (text.size() != ascii.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0x80 || text[i] != static_cast<unsigned char>(ascii[i])) return false;
  }
  return true;
}

// A GDE object or dataset, built once the file is read (after all items).
struct Pending {
  std::string fileId, name, type, folder;
  bool hasFolder = false;
  std::vector<KeptEntry> entries;
};

// Relations wait for the end of the file with their three texts end to end in one buffer: a
// library has a relation or more per item, and three strings each would weigh four times more.
class PendingRelations {
 public:
  struct Texts {
    std::string_view primary, secondary, type;
  };

  void add(std::u16string_view primary, std::u16string_view secondary, std::u16string_view type) {
    Ends ends;
    ends.primary = append(primary);
    ends.secondary = append(secondary);
    ends.type = append(type);
    ends_.push_back(ends);
  }
  size_t size() const { return ends_.size(); }
  Texts get(size_t i) const {
    const size_t start = i == 0 ? 0 : ends_[i - 1].type;
    const Ends& ends = ends_[i];
    const std::string_view all(texts_);
    return {all.substr(start, ends.primary - start),
            all.substr(ends.primary, ends.secondary - ends.primary),
            all.substr(ends.secondary, ends.type - ends.secondary)};
  }

 private:
  // Where each text of a relation ends in texts_; the first begins where the last relation's
  // type ended.
  struct Ends {
    size_t primary = 0, secondary = 0, type = 0;
  };

  size_t append(std::u16string_view text) {
    platform::utf16ToUtf8(text, &scratch_);
    texts_ += scratch_;
    return texts_.size();
  }

  std::vector<Ends> ends_;
  std::string texts_;
  std::string scratch_;  // One conversion's room, reused.
};

enum class Kind { kOther, kLibrary, kItem, kGde, kDataset, kRelation };

Kind kindOf(const XMLCh* localName) {
  if (XMLString::equals(localName, LibraryXml::kItem)) return Kind::kItem;
  if (XMLString::equals(localName, LibraryXml::kRelation)) return Kind::kRelation;
  if (XMLString::equals(localName, LibraryXml::kGde)) return Kind::kGde;
  if (XMLString::equals(localName, LibraryXml::kDataset)) return Kind::kDataset;
  if (XMLString::equals(localName, LibraryXml::kLibrary)) return Kind::kLibrary;
  return Kind::kOther;
}

}  // namespace

class EDALibrary::XmlReader : public DefaultHandler {
 public:
  explicit XmlReader(EDALibrary* library) : library_(library) {}

  // Non-empty when the reader ended the parse itself.
  const std::string& stopReason() const { return stopReason_; }
  // True once the document element was seen.
  bool sawRoot() const { return sawRoot_; }

  // Once the whole file was read: replaces the library's content by what was read.
  void commit() {
    library_->clear();
    library_->reserve(items_.size() + gdes_.size() + datasets_.size());
    if (sawLibrary_) {
      library_->setName(libraryName_);
      library_->setFolder(libraryFolder_);
    }
    for (auto& item : items_) library_->addObject(std::move(item));
    items_.clear();
    for (const std::string& category : categories_) library_->categories_.insert(category);
    for (Pending& gde : gdes_) {
      EDAGde* object = library_->createGde(gde.name, gde.type);
      if (object == nullptr) continue;
      identities_.remember(gde.fileId, object);
      const size_t firstReference = references_.size();
      for (const KeptEntry& entry : gde.entries) apply(entry.get(), object, firstReference);
    }
    for (const Pending& dataset : datasets_) {
      EDADataset* object = library_->createDataset(dataset.name, dataset.type);
      if (object == nullptr) continue;
      identities_.remember(dataset.fileId, object);
      if (dataset.hasFolder) object->setFolder(dataset.folder);
    }
    // A relation whose ends are missing or name no object of the file is skipped.
    std::string type;
    for (size_t i = 0; i < relations_.size(); ++i) {
      const PendingRelations::Texts relation = relations_.get(i);
      EDAWorkspaceObject* primary = identities_.lookup(relation.primary);
      EDAWorkspaceObject* secondary = identities_.lookup(relation.secondary);
      if (primary != nullptr && secondary != nullptr) {
        type.assign(relation.type);
        primary->addRelation(type, secondary);
      }
    }
    resolveReferences();
  }

  void startElement(const XMLCh* uri, const XMLCh* localName, const XMLCh* /*qName*/,
                    const Attributes& attributes) override {
    if (open_.size() >= kMaxNesting) {
      if (stopReason_.empty()) {
        stopReason_ =
            "elements are nested more than " + std::to_string(kMaxNesting) + " levels deep";
      }
      return;
    }
    const size_t depth = open_.size();
    if (depth == 0) {
      sawRoot_ = true;
      rootNamespace_ = uri != nullptr ? uri : u"";
      open_.push_back({});
      return;
    }
    // Every element child of an item or GDE object is an attribute entry, whatever its name.
    Open& parent = open_.back();
    if (parent.item != nullptr) {
      apply(readEntry(attributes), parent.item, parent.firstReference);
      ++parent.entries;
    } else if (parent.gde != 0) {
      gdes_[parent.gde - 1].entries.emplace_back(readEntry(attributes));
    }

    Open opened;
    if (inRootNamespace(uri)) {
      switch (kindOf(localName)) {
        case Kind::kLibrary:
          readLibrary(attributes);
          break;
        case Kind::kItem:
          opened.item = readItem(attributes);
          opened.firstReference = references_.size();
          break;
        case Kind::kGde:
          opened.gde = readGde(attributes);
          break;
        case Kind::kDataset:
          readDataset(attributes);
          break;
        case Kind::kRelation:
          readRelation(attributes);
          break;
        case Kind::kOther:
          break;
      }
    }
    open_.push_back(opened);
  }

  void endElement(const XMLCh*, const XMLCh*, const XMLCh*) override {
    if (open_.empty()) return;
    const Open& closed = open_.back();
    if (closed.item != nullptr) {
      resolveRemembered(closed.firstReference);
      entriesPerItem_ = closed.entries;
    }
    open_.pop_back();
  }

 private:
  // What an open element collects entries for: an item (built at once) or a GDE object (its
  // index in gdes_ plus one).
  struct Open {
    EDAItem* item = nullptr;
    size_t firstReference = 0;
    size_t entries = 0;
    size_t gde = 0;
  };

  // The parser hands out each namespace name from one pool, so nearly every element repeats the
  // pointer of the last match and the name is compared once, not at every element.
  bool inRootNamespace(const XMLCh* uri) {
    if (uri != nullptr && uri == rootUri_) return true;
    if (std::u16string_view(uri != nullptr ? uri : u"") != rootNamespace_) return false;
    rootUri_ = uri;
    return true;
  }

  void readLibrary(const Attributes& attributes) {
    enum { kName, kFolder };
    static const char* const kNames[] = {"name", "folder"};
    const Wanted<2> a(attributes, kNames);
    sawLibrary_ = true;
    libraryName_ = a.text(kName);
    libraryFolder_ = a.text(kFolder);
    ConnectorUtil::toWindowsPath(libraryFolder_);
  }

  EDAItem* readItem(const Attributes& attributes) {
    enum { kElemId, kItemId, kName, kType, kCategory, kStatus, kRevision };
    static const char* const kNames[] = {"elemId",   "itemId",        "name",    "type",
                                         "category", "releaseStatus", "revision"};
    const Wanted<7> a(attributes, kNames);
    std::unique_ptr<EDAItem> created =
        EDAItem::create(a.text(kItemId), a.text(kName), a.text(kType));
    if (created == nullptr) return nullptr;
    EDAItem* item = created.get();
    items_.push_back(std::move(created));
    // Items of one file mostly have as many attributes as the last.
    item->reserveAttributes(std::min(entriesPerItem_, kMaxAttributeRoom));
    identities_.remember(a.view(kElemId), item);
    const std::string category = a.text(kCategory);
    if (!category.empty()) {
      item->setCategory(category);
      categories_.insert(category);
    }
    if (a.has(kStatus)) item->setReleaseStatus(a.text(kStatus));
    if (a.has(kRevision)) item->setRevision(a.text(kRevision));
    return item;
  }

  size_t readGde(const Attributes& attributes) {
    enum { kElemId, kName, kType };
    static const char* const kNames[] = {"elemId", "name", "type"};
    const Wanted<3> a(attributes, kNames);
    Pending gde;
    gde.fileId = a.text(kElemId);
    gde.name = a.text(kName);
    gde.type = a.text(kType);
    gdes_.push_back(std::move(gde));
    return gdes_.size();
  }

  void readDataset(const Attributes& attributes) {
    enum { kElemId, kName, kType, kFolder };
    static const char* const kNames[] = {"elemId", "name", "type", "folder"};
    const Wanted<4> a(attributes, kNames);
    Pending dataset;
    dataset.fileId = a.text(kElemId);
    dataset.name = a.text(kName);
    dataset.type = a.text(kType);
    dataset.hasFolder = a.has(kFolder);
    dataset.folder = a.text(kFolder);
    datasets_.push_back(std::move(dataset));
  }

  void readRelation(const Attributes& attributes) {
    enum { kPrimary, kSecondary, kType };
    static const char* const kNames[] = {"primary", "secondary", "type"};
    const Wanted<3> a(attributes, kNames);
    relations_.add(a.view(kPrimary), a.view(kSecondary), a.view(kType));
  }

  // `firstReference` is where the references of the object being read begin in references_:
  // an object's entries come together, so a repeated entry is found among those.
  void apply(const Entry& entry, EDAWorkspaceObject* object, size_t firstReference) {
    platform::utf16ToUtf8(entry.name, &name_);
    EDAAttribute* attribute = object->getOrCreateAttribute(name_);
    if (attribute == nullptr) return;
    if (entry.hasValue) attribute->setValue(platform::utf16ToUtf8(entry.value));
    if (entry.hasType && !sameAscii(entry.type, attribute->getType())) {
      attribute->setType(platform::utf16ToUtf8(entry.type));
    }
    if (entry.hasUnit && !sameAscii(entry.unit, attribute->getUnit())) {
      attribute->setUnit(platform::utf16ToUtf8(entry.unit));
    }
    attribute->setRequired(entry.required);
    if (!attribute->isReference()) return;
    const auto first = references_.begin() + static_cast<std::ptrdiff_t>(firstReference);
    if (std::find(first, references_.end(), attribute) == references_.end()) {
      references_.push_back(attribute);
    }
  }

  // An item's attributes are final once its element ends. Its references to objects the file
  // has already named are resolved then, while the attributes are fresh in memory, rather than
  // all at the end; the rest wait for the whole file.
  void resolveRemembered(size_t firstReference) {
    auto kept = references_.begin() + static_cast<std::ptrdiff_t>(firstReference);
    for (auto it = kept; it != references_.end(); ++it) {
      EDAAttribute* attribute = *it;
      // A later entry of the same name may have changed the type.
      if (!attribute->isReference()) continue;
      if (const EDAWorkspaceObject* target = identities_.lookup(attribute->getValue())) {
        attribute->setValue(target->getElemId());
      } else {
        *kept++ = attribute;
      }
    }
    references_.erase(kept, references_.end());
  }

  void resolveReferences() {
    for (EDAAttribute* attribute : references_) {
      // A later entry of the same name may have changed the type.
      if (!attribute->isReference()) continue;
      if (const EDAWorkspaceObject* target = identities_.lookup(attribute->getValue())) {
        attribute->setValue(target->getElemId());
        continue;
      }
      library_->setLastError("Invalid reference attribute " + attribute->getName() +
                             " because the referenced object cannot be found");
      MessageLogger::warn(kSource, library_->lastError_);
    }
  }

  EDALibrary* library_;
  bool sawRoot_ = false;
  std::u16string rootNamespace_;
  // The parser's text last found equal to rootNamespace_; it lives as long as the parse.
  const XMLCh* rootUri_ = nullptr;
  std::vector<Open> open_;
  std::string stopReason_;

  bool sawLibrary_ = false;
  std::string libraryName_, libraryFolder_;
  std::vector<std::unique_ptr<EDAItem>> items_;
  std::set<std::string> categories_;
  std::vector<Pending> gdes_;
  std::vector<Pending> datasets_;
  PendingRelations relations_;

  // On a repeated identity the first object keeps it.
  FileIdentities identities_;
  std::vector<EDAAttribute*> references_;
  // The name of the entry being applied; its room serves every entry.
  std::string name_;
  // How many entries the last item had.
  size_t entriesPerItem_ = 0;
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
    SafeSaxReader parser;
    XmlReader reader(this);
    std::string reason;
    if (!parser.parseFile(path, &reader, &reader.stopReason(), &reason)) {
      fail(reason);
      return false;
    }
    // A file without a document element reads as nothing and leaves the library as it was.
    if (reader.sawRoot()) reader.commit();
  } catch (...) {
    fail(currentXercesExceptionReason());
    return false;
  }
  return true;
}

// EDALibrary::save: the library written as EDALib.xml.
//
// The document is streamed, escaped straight from the objects' UTF-8 texts, rather than built as
// a DOM: the DOM keeps every element's attributes sorted by name, and the file's
// attributes come in a fixed order that readers of the file see (elemId first, a relation's
// secondary before its primary). Streaming also keeps memory flat for large libraries.
#include <cstdio>
#include <ctime>
#include <xercesc/framework/LocalFileFormatTarget.hpp>
#include <xercesc/framework/XMLFormatter.hpp>

#include "library/eda_library.h"
#include "library/library_xml_names.h"
#include "library/xml_attribute_text.h"
#include "platform/clock.h"
#include "platform/file_replacement.h"
#include "syncmap/xerces_support.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"
#include "util/xml_text.h"

using namespace XERCES_CPP_NAMESPACE;

namespace {

constexpr const char* kSource = "EDALibrary";

std::string exportDate() {
  std::tm local;
  if (!platform::localTime(std::time(nullptr), &local)) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

// Writes the elements of the file in the "ecad" prefix, attributes in the order given, as UTF-8
// gathered in a buffer that goes to `*target` in large blocks. A value XML cannot carry is not
// written; the first such value becomes the error and fails the save.
class LibraryFileWriter {
 public:
  explicit LibraryFileWriter(XMLFormatTarget* target) : target_(target) {
    buffer_.reserve(kBlock + kBlock / 4);
  }
  LibraryFileWriter(const LibraryFileWriter&) = delete;
  LibraryFileWriter& operator=(const LibraryFileWriter&) = delete;

  const std::string& error() const { return error_; }

  void begin() {
    buffer_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?><";
    buffer_ += kPrefix;
    buffer_ += ":";
    buffer_ += toUtf8(LibraryXml::kRoot);
    buffer_ += " xmlns:";
    buffer_ += kPrefix;
    buffer_ += "=\"";
    buffer_ += toUtf8(LibraryXml::kNamespace);
    buffer_ += "\">";
  }
  void end() {
    close(toUtf8(LibraryXml::kRoot));
    drain();
  }

  // "<ecad:name"; follow with attributes, then finishEmpty or finishOpen.
  void open(const std::string& localName) {
    buffer_ += '<';
    buffer_ += kPrefix;
    buffer_ += ':';
    buffer_ += localName;
    element_ = &localName;
  }
  void attribute(const char* name, const std::string& value) {
    const size_t start = buffer_.size();
    buffer_ += ' ';
    buffer_ += name;
    buffer_ += "=\"";
    if (!appendXmlAttributeText(value, &buffer_)) {
      buffer_.resize(start);
      if (error_.empty()) {
        error_ = std::string("invalid or illegal XML character in the attribute ") + name + " of " +
                 *element_;
      }
      return;
    }
    buffer_ += '"';
  }
  void finishEmpty() {
    buffer_ += "/>";
    if (buffer_.size() >= kBlock) drain();
  }
  void finishOpen() { buffer_ += '>'; }
  void close(const std::string& localName) {
    buffer_ += "</";
    buffer_ += kPrefix;
    buffer_ += ':';
    buffer_ += localName;
    buffer_ += '>';
  }

  // Ends the open element `localName` of `object`: empty without attributes, else with one
  // `attr` child per attribute in name order. GDE objects carry them too (a datasheet's folder,
  // read from the database, would otherwise not survive an export and a new import).
  void attributes(const EDAWorkspaceObject& object, const std::string& localName) {
    object.getAttributes(&attributes_);
    if (attributes_.empty()) {
      finishEmpty();
      return;
    }
    finishOpen();
    for (const EDAAttribute* entry : attributes_) {
      open(names_.attribute);
      attribute("elemId", entry->getElemId());
      attribute("name", entry->getName());
      attribute("value", entry->getValue());
      attribute("unit", entry->getUnit());
      attribute("type", entry->getType());
      attribute("required", entry->getRequiredText());
      finishEmpty();
    }
    close(localName);
  }

  void relations(const EDAContextObject& primary) {
    for (const EDARelation* relation : primary.getRelations()) {
      open(names_.relation);
      attribute("elemId", relation->getElemId());
      attribute("secondary", relation->getSecondary()->getElemId());
      attribute("primary", relation->getPrimary()->getElemId());
      // Without its type a relation cannot be followed by an import, which looks children up by
      // the relation the sync map names; an untyped relation stays as it always was written.
      if (!relation->getRelationType().empty()) attribute("type", relation->getRelationType());
      finishEmpty();
    }
  }

  // The local names of the file's elements in UTF-8.
  struct Names {
    std::string library = toUtf8(LibraryXml::kLibrary);
    std::string item = toUtf8(LibraryXml::kItem);
    std::string attribute = toUtf8(LibraryXml::kAttribute);
    std::string relation = toUtf8(LibraryXml::kRelation);
    std::string gde = toUtf8(LibraryXml::kGde);
    std::string dataset = toUtf8(LibraryXml::kDataset);
  };
  const Names& names() const { return names_; }

 private:
  static constexpr size_t kBlock = 1 << 16;

  // The target reports a failed write by throwing, which the caller turns into the error.
  void drain() {
    if (buffer_.empty()) return;
    target_->writeChars(reinterpret_cast<const XMLByte*>(buffer_.data()), buffer_.size(), nullptr);
    buffer_.clear();
  }

  XMLFormatTarget* target_;
  const std::string kPrefix = toUtf8(LibraryXml::kPrefix);
  const Names names_;
  std::string buffer_;
  std::vector<EDAAttribute*> attributes_;
  const std::string* element_ = nullptr;
  std::string error_;
};

// Library first; then each item followed by its relations; each GDE object followed by its
// relations; then the datasets (whose relations the file does not carry). A relation names its
// type last, and only when it has one.
void writeLibrary(const EDALibrary& library, LibraryFileWriter* out) {
  const LibraryFileWriter::Names& names = out->names();
  out->begin();
  out->open(names.library);
  out->attribute("elemId", library.getElemId());
  out->attribute("name", library.getName());
  out->attribute("folder", library.getFolder());
  out->attribute("exportDate", exportDate());
  out->finishEmpty();

  std::vector<EDAWorkspaceObject*> objects;
  library.getObjects("EDAItem", &objects);
  for (const EDAWorkspaceObject* object : objects) {
    const auto* item = dynamic_cast<const EDAItem*>(object);
    if (item == nullptr) continue;
    out->open(names.item);
    out->attribute("elemId", item->getElemId());
    out->attribute("itemId", item->getItemId());
    out->attribute("name", item->getName());
    out->attribute("type", item->getType());
    out->attribute("category", item->getValue("category", false));
    out->attribute("libraryId", item->getLibraryId());
    out->attribute("releaseStatus", item->getValue("releaseStatus", false));
    out->attribute("revision", item->getValue("revision", false));
    out->attributes(*item, names.item);
    out->relations(*item);
  }

  library.getObjects("EDAGde", &objects);
  for (const EDAWorkspaceObject* object : objects) {
    const auto* gde = dynamic_cast<const EDAGde*>(object);
    if (gde == nullptr) continue;
    out->open(names.gde);
    out->attribute("elemId", gde->getElemId());
    out->attribute("name", gde->getName());
    out->attribute("type", gde->getType());
    out->attribute("libraryId", gde->getLibraryId());
    out->attribute("releaseStatus", gde->getReleaseStatus());
    out->attributes(*gde, names.gde);
    out->relations(*gde);
  }

  library.getObjects("EDADataset", &objects);
  for (const EDAWorkspaceObject* object : objects) {
    const auto* dataset = dynamic_cast<const EDADataset*>(object);
    if (dataset == nullptr) continue;
    out->open(names.dataset);
    out->attribute("elemId", dataset->getElemId());
    out->attribute("name", dataset->getName());
    out->attribute("type", dataset->getType());
    out->attribute("folder", dataset->getFolder());
    out->finishEmpty();
  }
  out->end();
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
  // The document goes to a temporary file that replaces the target only once it is complete
  // and on disk, so a failure never leaves half a file where a whole one was.
  std::string reason;
  platform::FileReplacement replacement;
  if (replacement.Begin(path, platform::LinkPolicy::kFollow, &reason)) {
    try {
      const A2XStr widePath(replacement.temporaryPath().c_str());
      LocalFileFormatTarget file(widePath.get());
      LibraryFileWriter writer(&file);
      writeLibrary(*this, &writer);
      reason = writer.error();
      // Flushing here, not in the destructor (which swallows errors), lets a failed write count.
      if (reason.empty()) file.flush();
    } catch (...) {
      reason = currentXercesExceptionReason();
    }
    if (reason.empty()) replacement.Commit(&reason);
  }
  if (reason.empty()) return true;
  setLastError("Fail to save EDALib.xml because " + reason);
  MessageLogger::error(kSource, lastError_);
  return false;
}

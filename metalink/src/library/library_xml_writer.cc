// EDALibrary::save: the library written as EDALib.xml.
//
// The document is streamed through Xerces' formatter (UTF-8 transcoding and escaping) rather than
// built as a DOM: the DOM keeps every element's attributes sorted by name, and the file's
// attributes come in a fixed order that readers of the file see (elemId first, a relation's
// secondary before its primary). Streaming also keeps memory flat for large libraries.
#include <cstdio>
#include <ctime>
#include <xercesc/framework/LocalFileFormatTarget.hpp>
#include <xercesc/framework/XMLFormatter.hpp>
#include <xercesc/util/XMLString.hpp>

#include "library/eda_library.h"
#include "library/library_xml_names.h"
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

// True when every character may appear in an XML 1.0 document (even as a character reference
// the control characters below 0x20, lone surrogates, U+FFFE and U+FFFF may not).
bool isXmlText(const std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x20) {
      if (c != 0x9 && c != 0xA && c != 0xD) return false;
    } else if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
      return false;
    }
  }
  return true;
}

// Writes the elements of the file in the "ecad" prefix, attributes in the order given. A value
// XML cannot carry is not written; the first such value becomes the error and fails the save.
class LibraryFileWriter {
 public:
  explicit LibraryFileWriter(XMLFormatTarget* target)
      : formatter_("UTF-8", "1.0", target, XMLFormatter::NoEscapes, XMLFormatter::UnRep_Fail) {}

  const std::string& error() const { return error_; }

  void begin() {
    raw(u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>");
    raw(u"<");
    raw(LibraryXml::kPrefix);
    raw(u":");
    raw(LibraryXml::kRoot);
    raw(u" xmlns:");
    raw(LibraryXml::kPrefix);
    raw(u"=\"");
    raw(LibraryXml::kNamespace);
    raw(u"\">");
  }
  void end() { close(LibraryXml::kRoot); }

  // "<ecad:name"; follow with attributes, then finishEmpty or finishOpen.
  void open(const XMLCh* localName) {
    raw(u"<");
    raw(LibraryXml::kPrefix);
    raw(u":");
    raw(localName);
    element_ = localName;
  }
  void attribute(const XMLCh* name, const std::string& value) {
    const std::u16string wide = toWide(value);
    if (!isXmlText(wide)) {
      if (error_.empty()) {
        error_ = "invalid or illegal XML character in the attribute " + toUtf8(name) + " of " +
                 toUtf8(element_);
      }
      return;
    }
    raw(u" ");
    raw(name);
    raw(u"=\"");
    formatter_.formatBuf(wide.data(), wide.size(), XMLFormatter::AttrEscapes);
    raw(u"\"");
  }
  void finishEmpty() { raw(u"/>"); }
  void finishOpen() { raw(u">"); }
  void close(const XMLCh* localName) {
    raw(u"</");
    raw(LibraryXml::kPrefix);
    raw(u":");
    raw(localName);
    raw(u">");
  }

  // Ends the open element `localName` of `object`: empty without attributes, else with one
  // `attr` child per attribute in name order. GDE objects carry them too (a datasheet's folder,
  // read from the database, would otherwise not survive an export and a new import).
  void attributes(const EDAWorkspaceObject& object, const XMLCh* localName) {
    object.getAttributes(&attributes_);
    if (attributes_.empty()) {
      finishEmpty();
      return;
    }
    finishOpen();
    for (const EDAAttribute* entry : attributes_) {
      open(LibraryXml::kAttribute);
      attribute(u"elemId", entry->getElemId());
      attribute(u"name", entry->getName());
      attribute(u"value", entry->getValue());
      attribute(u"unit", entry->getUnit());
      attribute(u"type", entry->getType());
      attribute(u"required", entry->getRequiredText());
      finishEmpty();
    }
    close(localName);
  }

  void relations(const EDAContextObject& primary) {
    for (const EDARelation* relation : primary.getRelations()) {
      open(LibraryXml::kRelation);
      attribute(u"elemId", relation->getElemId());
      attribute(u"secondary", relation->getSecondary()->getElemId());
      attribute(u"primary", relation->getPrimary()->getElemId());
      // Without its type a relation cannot be followed by an import, which looks children up by
      // the relation the sync map names; an untyped relation stays as it always was written.
      if (!relation->getRelationType().empty()) attribute(u"type", relation->getRelationType());
      finishEmpty();
    }
  }

 private:
  void raw(const XMLCh* text) { formatter_.formatBuf(text, XMLString::stringLen(text)); }

  XMLFormatter formatter_;
  std::vector<EDAAttribute*> attributes_;
  std::u16string element_;
  std::string error_;
};

// Library first; then each item followed by its relations; each GDE object followed by its
// relations; then the datasets (whose relations the file does not carry). A relation names its
// type last, and only when it has one.
void writeLibrary(const EDALibrary& library, LibraryFileWriter* out) {
  out->begin();
  out->open(LibraryXml::kLibrary);
  out->attribute(u"elemId", library.getElemId());
  out->attribute(u"name", library.getName());
  out->attribute(u"folder", library.getFolder());
  out->attribute(u"exportDate", exportDate());
  out->finishEmpty();

  std::vector<EDAWorkspaceObject*> objects;
  library.getObjects("EDAItem", &objects);
  for (const EDAWorkspaceObject* object : objects) {
    const auto* item = dynamic_cast<const EDAItem*>(object);
    if (item == nullptr) continue;
    out->open(LibraryXml::kItem);
    out->attribute(u"elemId", item->getElemId());
    out->attribute(u"itemId", item->getItemId());
    out->attribute(u"name", item->getName());
    out->attribute(u"type", item->getType());
    out->attribute(u"category", item->getValue("category", false));
    out->attribute(u"libraryId", item->getLibraryId());
    out->attribute(u"releaseStatus", item->getValue("releaseStatus", false));
    out->attribute(u"revision", item->getValue("revision", false));
    out->attributes(*item, LibraryXml::kItem);
    out->relations(*item);
  }

  library.getObjects("EDAGde", &objects);
  for (const EDAWorkspaceObject* object : objects) {
    const auto* gde = dynamic_cast<const EDAGde*>(object);
    if (gde == nullptr) continue;
    out->open(LibraryXml::kGde);
    out->attribute(u"elemId", gde->getElemId());
    out->attribute(u"name", gde->getName());
    out->attribute(u"type", gde->getType());
    out->attribute(u"libraryId", gde->getLibraryId());
    out->attribute(u"releaseStatus", gde->getReleaseStatus());
    out->attributes(*gde, LibraryXml::kGde);
    out->relations(*gde);
  }

  library.getObjects("EDADataset", &objects);
  for (const EDAWorkspaceObject* object : objects) {
    const auto* dataset = dynamic_cast<const EDADataset*>(object);
    if (dataset == nullptr) continue;
    out->open(LibraryXml::kDataset);
    out->attribute(u"elemId", dataset->getElemId());
    out->attribute(u"name", dataset->getName());
    out->attribute(u"type", dataset->getType());
    out->attribute(u"folder", dataset->getFolder());
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

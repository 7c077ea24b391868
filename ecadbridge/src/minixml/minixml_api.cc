// The exported minixml_parser_* functions: argument checks, the log lines and the results object.
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "ecadbridge/minixml.h"
#include "minixml/minixml_parser.h"
#include "minixml/parse_document.h"
#include "minixml/xml_library_hold.h"
#include "platform/stream_redirect.h"

namespace {

using minixml::MinixmlParser;

constexpr const char* kVendor = "Morvane";
constexpr const char* kNoFileMessage = "Null xml file name encountered for inputXmlFile";
constexpr const char* kNoModeMessage = "Null value encountered for parseMode";
constexpr const char* kNoParserMessage = "The xml parser does not exist.";
constexpr size_t kMaxMessageLength = 250;

// Process-wide state between minixml_parser_init and minixml_parser_close.
struct ReaderState {
  std::unique_ptr<MinixmlParser> parser;
  platform::StreamRedirect log{platform::StandardStream::kOutput};
  minixml::XmlLibraryHold xml;
};

ReaderState& state() {
  static ReaderState instance;
  return instance;
}

bool isEmpty(const char* text) { return text == nullptr || *text == '\0'; }
const char* orEmpty(const char* text) { return text == nullptr ? "" : text; }

void logResult(int code, const char* message) {
  std::printf("Message from %s: %d:%s\n", kVendor, code, message);
  std::fflush(stdout);
}

template <typename Field>
void* getField(void** out, Field MinixmlParser::*field) {
  const MinixmlParser* parser = state().parser.get();
  void* value = parser != nullptr ? static_cast<void*>(parser->*field) : nullptr;
  if (out != nullptr) *out = value;
  return value;
}

}  // namespace

extern "C" {

ECADBRIDGE_EXPORT int minixml_parser_init(const char* logFile) {
  ReaderState& s = state();
  if (!s.log.redirect(logFile)) {
    // Standard output is still the one the process had, so the complaint is seen.
    std::printf("error on freopen\n");
    std::fflush(stdout);
    return -1;
  }
  std::printf("Morvane minixml parser output\n");
  s.parser.reset(new (std::nothrow) MinixmlParser());
  if (!s.parser) {
    logResult(-1, kNoParserMessage);
    return -1;
  }
  s.xml.acquire();
  std::fflush(stdout);
  return 0;
}

ECADBRIDGE_EXPORT int minixml_parser_parse(const char* inputXmlFile, const char* parseMode,
                                           const char* errOutFile) {
  int code;
  const char* message;
  // Failure texts are cut to the length the log has always allowed.
  char formatted[kMaxMessageLength + 1];
  if (isEmpty(inputXmlFile)) {
    code = MINIXML_PARSE_NO_FILE;
    message = kNoFileMessage;
  } else if (isEmpty(parseMode)) {
    code = MINIXML_PARSE_NO_MODE;
    message = kNoModeMessage;
  } else {
    std::printf("Working with xml file = %s, parse mode = %s\n", inputXmlFile, parseMode);
    std::printf("errOutFile = %s\n", orEmpty(errOutFile));
    MinixmlParser* parser = state().parser.get();
    if (parser == nullptr) {
      // Nothing was parsed and nothing can be read back: not a success.
      code = MINIXML_NO_PARSER;
      message = kNoParserMessage;
    } else {
      code = minixml::parseDocument(parser, inputXmlFile, parseMode, errOutFile);
      if (code == MINIXML_OK) {
        std::fflush(stdout);
        return MINIXML_OK;
      }
      std::snprintf(formatted, sizeof formatted, "failure during parsing of inputXmlFile  %s %s\n",
                    inputXmlFile, parseMode);
      message = formatted;
    }
  }
  logResult(code, message);
  return code;
}

ECADBRIDGE_EXPORT int minixml_parser_test(const char* inputXmlFile, const char* errOutFile) {
  int code;
  const char* message;
  char formatted[kMaxMessageLength + 1];
  if (isEmpty(inputXmlFile)) {
    code = MINIXML_TEST_NO_FILE;
    message = kNoFileMessage;
  } else {
    std::unique_ptr<MinixmlParser> scratch(new (std::nothrow) MinixmlParser());
    if (!scratch) {
      code = MINIXML_NO_PARSER;
      message = kNoParserMessage;
    } else {
      std::printf("Working with xml file = %s\n", inputXmlFile);
      code = minixml::parseDocument(scratch.get(), inputXmlFile, "Print", errOutFile);
      if (code == MINIXML_OK) {
        std::fflush(stdout);
        return MINIXML_OK;
      }
      std::snprintf(formatted, sizeof formatted, "A failure during parsing of inputXmlFile %s.\n",
                    inputXmlFile);
      message = formatted;
    }
  }
  logResult(code, message);
  return code;
}

ECADBRIDGE_EXPORT int minixml_parser_close(void) {
  ReaderState& s = state();
  s.parser.reset();
  s.xml.release();
  std::fflush(stdout);
  std::fflush(stderr);
  s.log.restore();
  return 0;
}

ECADBRIDGE_EXPORT void* minixml_parser_getCCAElements(void** out) {
  return getField(out, &MinixmlParser::ccaElements);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDAStatus(void** out) {
  return getField(out, &MinixmlParser::edaStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDAPreSaveStatus(void** out) {
  return getField(out, &MinixmlParser::edaPreSaveStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDASaveStatus(void** out) {
  return getField(out, &MinixmlParser::edaSaveStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDAPreSaveAsStatus(void** out) {
  return getField(out, &MinixmlParser::edaPreSaveAsStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDASaveAsStatus(void** out) {
  return getField(out, &MinixmlParser::edaSaveAsStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDACheckOutOrRefreshStatus(void** out) {
  return getField(out, &MinixmlParser::edaCheckOutOrRefreshStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDAGetStagingDirStatus(void** out) {
  return getField(out, &MinixmlParser::edaGetStagingDirStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDAReconcilePartsSelectStatus(void** out) {
  return getField(out, &MinixmlParser::edaReconcilePartsSelectStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDAPreCheckInStatus(void** out) {
  return getField(out, &MinixmlParser::edaPreCheckInStatus);
}
ECADBRIDGE_EXPORT void* minixml_parser_getEDACancelCheckoutStatus(void** out) {
  return getField(out, &MinixmlParser::edaCancelCheckoutStatus);
}

}  // extern "C"

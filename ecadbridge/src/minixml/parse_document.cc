#include "minixml/parse_document.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "minixml/bom_handler.h"
#include "minixml/error_output.h"
#include "minixml/print_handler.h"
#include "minixml/status_handler.h"
#include "minixml/xml_text.h"
#include "platform/stream_redirect.h"
#include "platform/text.h"

namespace minixml {
namespace {

using xercesc::SAX2XMLReader;
using xercesc::XMLPlatformUtils;
using xercesc::XMLUni;

// Status and BOM documents never need entities; a few thousand expansions are far more than any
// legitimate document uses and stop "billion laughs" documents early.
constexpr XMLSize_t kEntityExpansionLimit = 10000;

// Documents come from outside the process: nothing is fetched from the network or the file system
// besides the document itself, and entity expansion is capped.
void makeReaderSafe(SAX2XMLReader* reader, xercesc::SecurityManager* security) {
  reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  reader->setFeature(XMLUni::fgXercesLoadSchema, false);
  security->setEntityExpansionLimit(kEntityExpansionLimit);
  reader->setProperty(XMLUni::fgXercesSecurityManager, security);
}

void storeStatus(const StatusRecords& r, MinixmlParser* results) {
  results->edaStatus = r.status;
  results->edaPreSaveStatus = r.preSave;
  results->edaSaveStatus = r.save;
  results->edaPreSaveAsStatus = r.preSaveAs;
  results->edaSaveAsStatus = r.saveAs;
  results->edaCheckOutOrRefreshStatus = r.checkOutOrRefresh;
  results->edaGetStagingDirStatus = r.getStagingDir;
  results->edaReconcilePartsSelectStatus = r.reconcilePartsSelect;
  results->edaPreCheckInStatus = r.preCheckIn;
  results->edaCancelCheckoutStatus = r.cancelCheckout;
}

// Runs the reader over the file with the handler the mode asks for. Xerces must be initialised.
// An exception from the reader (out of memory, or any other failure that is not reported through
// the error handler) leaves the results as they were and counts as one more error, so that the
// caller never takes an aborted parse for a clean one.
void runReader(MinixmlParser* results, const char* file, const char* mode, ErrorOutput& out) {
  // Declared before the reader, which keeps pointers to them, so that the reader goes first.
  xercesc::SecurityManager security;
  std::unique_ptr<TraceHandler> handler;
  SAX2_edaXmlStatusHandlers* status = nullptr;
  SAX2_edaXmlBomHandlers* bom = nullptr;
  std::unique_ptr<SAX2XMLReader> reader;
  try {
    if (std::strcmp(mode, "Status") == 0) {
      handler = std::make_unique<SAX2_edaXmlStatusHandlers>(&out);
      status = static_cast<SAX2_edaXmlStatusHandlers*>(handler.get());
    } else if (std::strcmp(mode, "Bom") == 0) {
      handler = std::make_unique<SAX2_edaXmlBomHandlers>(&out);
      bom = static_cast<SAX2_edaXmlBomHandlers*>(handler.get());
    } else if (std::strcmp(mode, "Print") == 0) {
      handler = std::make_unique<SAX2_edaXmlPrintHandlers>(&out);
    }

    reader.reset(xercesc::XMLReaderFactory::createXMLReader());
    makeReaderSafe(reader.get(), &security);
    if (handler) {
      reader->setContentHandler(handler.get());
      reader->setErrorHandler(handler.get());
    } else {
      out << "\nInvalid parseMode value received." << mode << ":" << file << "\n\n";
    }

    std::u16string path = platform::utf8ToUtf16(file);
    reader->parse(path.c_str());

    if (bom != nullptr) results->ccaElements = bom->ccaElements();
    if (status != nullptr) storeStatus(status->records(), results);
    results->errorCount = static_cast<int32_t>(reader->getErrorCount());
    return;
  } catch (const xercesc::OutOfMemoryException&) {
    out << "OutOfMemoryException\n";
  } catch (const std::bad_alloc&) {
    out << "OutOfMemoryException\n";
  } catch (const xercesc::XMLException& e) {
    out << "\nAn error occurred\n  Error: " << toUtf8(e.getMessage()) << "\n\n";
  } catch (const xercesc::SAXException& e) {
    out << "\nAn error occurred\n  Error: " << toUtf8(e.getMessage()) << "\n\n";
  } catch (...) {
    out << "\nAn error occurred\n  Error: unknown exception\n\n";
  }
  XMLSize_t reported = reader ? reader->getErrorCount() : 0;
  results->errorCount = static_cast<int32_t>(reported + 1);
}

}  // namespace

int parseDocument(MinixmlParser* results, const char* file, const char* mode,
                  const char* errorFile) {
  platform::StreamRedirect redirect(platform::StandardStream::kError);
  if (!redirect.redirect(errorFile)) {
    // Nothing may be written to a stream that points nowhere: the log says why instead.
    std::printf("error on freopen of errOutFile = %s\n", errorFile ? errorFile : "");
    return MINIXML_ERROR_FILE_NOT_OPENED;
  }
  results->errorCount = 0;

  // Declared after the redirect so that its last flush still reaches the error file.
  ErrorOutput out(stderr);
  try {
    XMLPlatformUtils::Initialize();
  } catch (const xercesc::XMLException& e) {
    out << "Error during initialization! :\n" << toUtf8(e.getMessage()) << "\n";
    return MINIXML_INIT_FAILED;
  } catch (...) {
    out << "Error during initialization! :\nunknown exception\n";
    return MINIXML_INIT_FAILED;
  }

  runReader(results, file, mode, out);
  XMLPlatformUtils::Terminate();
  out.flush();

  if (results->errorCount < 1) return MINIXML_OK;
  // Keeps the code within int for absurd counts.
  int32_t count = results->errorCount > 1000000 ? 1000000 : results->errorCount;
  return MINIXML_ERRORS_BASE + count;
}

}  // namespace minixml

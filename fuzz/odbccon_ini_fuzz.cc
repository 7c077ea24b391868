// libFuzzer target: any bytes as ODBCCon.ini, read by PropertiesMgr the way the connector reads
// its configuration, written back and read again. The values are never used as paths here: the
// fuzzer must not choose files to write.
#include <cstdint>
#include <string>

#include "connector/properties_mgr.h"
#include "fuzz_input.h"

namespace {

std::string gFile;
std::string gRewritten;
volatile size_t gSink;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string dir = fuzz::scratchDirectory("odbccon_ini_fuzz");
  gFile = dir + "/ODBCCon.ini";
  gRewritten = dir + "/rewritten.ini";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::writeInput(gFile, data, size);
  PropertiesMgr properties;
  if (!properties.load(gFile.c_str(), "#", "=")) __builtin_trap();
  gSink =
      gSink + properties.getProperty("LogFile").size() + properties.getProperty("LogLevel").size();
  properties.removeProperty("LogLevel");
  properties.addProperty("LogLevel", "info");
  if (!properties.save(gRewritten.c_str(), "=")) __builtin_trap();
  PropertiesMgr again;
  if (!again.load(gRewritten.c_str(), "#", "=")) __builtin_trap();
  if (again.getProperty("LogLevel") != "info") __builtin_trap();
  return 0;
}

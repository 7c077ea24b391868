// minixml: parses a status or BOM document with the library's exported reader and lists the
// records an ECAD tool would get, for support staff looking at a client's document.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "ecadbridge/minixml.h"
#include "platform/files.h"
#include "record_printer.h"

namespace {

// Copies a file to standard output; false when it cannot be read.
bool showFile(const std::string& path) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return false;
  char buffer[8192];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, n, stdout);
  std::fclose(in);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Reads an ECAD status or BOM document and lists the records it yields."};
  app.set_version_flag("--version", "minixml " EDA_VERSION);
  std::string input;
  std::string mode = "Status";
  std::string logFile = platform::joinPath(platform::tempDirectory(), "minixml.log");
  std::string errorFile = platform::joinPath(platform::tempDirectory(), "minixml.err");
  bool test = false;
  bool trace = false;
  app.add_option("file", input, "The XML document")->required();
  app.add_option("-m,--mode", mode, "Parse mode")
      ->check(CLI::IsMember({"Status", "Bom", "Print"}))
      ->capture_default_str();
  app.add_flag("--test", test, "Check the document in print mode only (minixml_parser_test)");
  app.add_option("-l,--log", logFile, "Log file the reader writes")->capture_default_str();
  app.add_option("-e,--errors", errorFile, "Error output file (reader errors and trace)")
      ->capture_default_str();
  app.add_flag("-t,--trace", trace, "Show the error output file after the records");
  CLI11_PARSE(app, argc, argv);

  // Standard output belongs to the reader's log between init and close; everything the tool has
  // to say is printed after close.
  if (minixml_parser_init(logFile.c_str()) != 0) {
    std::fprintf(stderr, "minixml: cannot write the log file %s\n", logFile.c_str());
    return 2;
  }
  int code = test ? minixml_parser_test(input.c_str(), errorFile.c_str())
                  : minixml_parser_parse(input.c_str(), mode.c_str(), errorFile.c_str());
  minixml_tool::Records records = minixml_tool::collectRecords();
  minixml_parser_close();

  std::printf("%s: %s mode, result %d%s\n", input.c_str(), test ? "test" : mode.c_str(), code,
              code == 0 ? " (no errors)" : "");
  if (!test && mode == "Status") {
    if (minixml_tool::printStatusRecords(records, stdout) == 0) {
      std::printf("no status records (elements must be in a namespace, without a prefix)\n");
    }
  } else if (!test && mode == "Bom") {
    if (!minixml_tool::printBomRecord(records.cca, stdout)) std::printf("no CCA element\n");
  }
  std::printf("log: %s\nerror output: %s\n", logFile.c_str(), errorFile.c_str());
  if (trace || code != 0) {
    std::printf("---- error output ----\n");
    if (!showFile(errorFile)) std::printf("(cannot read %s)\n", errorFile.c_str());
  }
  std::fflush(stdout);
  return code == 0 ? 0 : 1;
}

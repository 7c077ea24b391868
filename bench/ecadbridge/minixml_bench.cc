// Parse time of the minixml reader for a large BOM document and for a typical status document.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ecadbridge/minixml.h"

namespace {

struct Scratch {
  std::string dir;
  Scratch() {
    char pattern[] = "/tmp/minixml_bench_XXXXXX";
    if (mkdtemp(pattern) != nullptr) dir = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
  }
  std::string path(const char* name) const { return dir + "/" + name; }
};

const Scratch& scratch() {
  static Scratch s;
  return s;
}

// A BOM of one CCA with variants and, in components, datasets, about `bytes` long.
std::string writeBom(size_t bytes) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<BOM>\n<CCA name=\"Controller\" "
      "itemId=\"CCA-000042\" revId=\"B\" bom=\"bom-000042-B\">\n";
  for (int i = 0; i < 50; ++i) {
    xml += "<CCAVariant variantName=\"V" + std::to_string(i) + "\" itemName=\"Controller V" +
           std::to_string(i) + "\" itemId=\"CCA-000042-" + std::to_string(i) +
           "\" revId=\"A\" bom=\"bom-v" + std::to_string(i) + "\"/>\n";
  }
  for (int n = 0; xml.size() < bytes; ++n) {
    std::string id = std::to_string(n);
    xml += "<component refdes=\"U" + id +
           "\"><attr name=\"value\" value=\"10k\"/>\n"
           "<dataset type=\"Datasheet\" UID=\"yAVA2xH1AAAA" +
           id + "\" src=\"part" + id +
           ".pdf\" checkedOut=\"false\" nonLatest=\"false\" version=\"3\" sub=\"pdf\" "
           "name=\"Datasheet of part " +
           id + "\"/></component>\n";
  }
  xml += "</CCA>\n</BOM>\n";
  std::string file = scratch().path("bom.xml");
  std::FILE* f = std::fopen(file.c_str(), "wb");
  std::fwrite(xml.data(), 1, xml.size(), f);
  std::fclose(f);
  return file;
}

std::string writeStatus() {
  std::string file = scratch().path("status.xml");
  std::FILE* f = std::fopen(file.c_str(), "wb");
  std::fputs(
      "<?xml version=\"1.0\"?>\n<EDAResult xmlns=\"urn:morvane:eda\">\n"
      "<EDAPreSaveStatus status=\"0\" message=\"\" BOMOption=\"full\" itemId=\"PCB-1\">\n"
      "<VariantBomOption variantName=\"Base\" BOMOption=\"full\"/>\n"
      "<VariantBomOption variantName=\"Lite\" BOMOption=\"none\"/>\n"
      "</EDAPreSaveStatus>\n</EDAResult>\n",
      f);
  std::fclose(f);
  return file;
}

// Standard output is the reader's log between init and close, so the library's report is printed
// only after the loop.
void parseLoop(benchmark::State& state, const std::string& file, const char* mode) {
  std::string errors = scratch().path("errors.txt");
  minixml_parser_init("/dev/null");
  int code = 0;
  for (auto _ : state) {
    code |= minixml_parser_parse(file.c_str(), mode, errors.c_str());
  }
  minixml_parser_close();
  if (code != 0) state.SkipWithError("parse failed");
}

void BM_ParseBom10MB(benchmark::State& state) {
  static const std::string file = writeBom(10 * 1024 * 1024);
  parseLoop(state, file, "Bom");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 10 * 1024 * 1024);
}
BENCHMARK(BM_ParseBom10MB)->Unit(benchmark::kMillisecond);

void BM_ParseStatus(benchmark::State& state) {
  static const std::string file = writeStatus();
  parseLoop(state, file, "Status");
}
BENCHMARK(BM_ParseStatus)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

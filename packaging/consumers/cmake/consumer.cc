// Uses both installed C interfaces: opens a data source through libmetalink and reads a status
// document with libecadbridge's minixml reader.
// Usage: consumer DATA_SOURCE STATUS_DOCUMENT WORK_DIR
#include <ecadbridge/minixml.h>
#include <metalink/metalink.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: consumer DATA_SOURCE STATUS_DOCUMENT WORK_DIR\n");
    return 2;
  }
  const std::string source(argv[1]);
  const std::u16string wide(source.begin(), source.end());  // ASCII only
  const int opened = checkDataSource(reinterpret_cast<const metalink_char*>(wide.c_str()),
                                     reinterpret_cast<const metalink_char*>(u""),
                                     reinterpret_cast<const metalink_char*>(u""));

  const std::string dir(argv[3]);
  if (minixml_parser_init((dir + "/minixml.log").c_str()) != 0) return 1;
  const int parsed = minixml_parser_parse(argv[2], "Status", (dir + "/minixml.err").c_str());
  void* status = nullptr;
  minixml_parser_getEDAPreSaveStatus(&status);
  minixml_parser_close();

  std::printf("libmetalink and libecadbridge from CMake: data source %s, document %s\n",
              opened == 1 ? "opened" : "NOT opened",
              parsed == 0 && status != nullptr ? "read" : "NOT read");
  return opened == 1 && parsed == 0 && status != nullptr ? 0 : 1;
}

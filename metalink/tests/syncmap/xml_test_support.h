// Scratch files and log capture for the tests of the XML readers and writer.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "testsupport/temp_dir.h"
#include "util/message_logger.h"

namespace xmltest {

// A fresh directory for one test, removed afterwards, with the connector log redirected into it
// and every level enabled.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
    savedLog_ = MessageLogger::settings();
    MessageLogger::configure({path("connector.log"), true, true, true, true});
  }
  void TearDown() override { MessageLogger::configure(savedLog_); }

  std::string path(const std::string& name) const { return platform::joinPath(dir_, name); }

  std::string write(const std::string& name, const std::string& content) const {
    const std::string p = path(name);
    std::ofstream out(p, std::ios::binary);
    out << content;
    return p;
  }

  static std::string read(const std::string& p) { return testsupport::readFile(p); }

  std::vector<std::string> logLines() const {
    std::ifstream in(path("connector.log"));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }

  testsupport::TempDir scratch_{"metalink_xml"};
  std::string dir_;
  MessageLogger::Settings savedLog_;
};

// Nine levels of tenfold entity expansion: a billion copies of "lol" if nothing stops it.
inline std::string billionLaughs(const std::string& body) {
  std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
  for (int level = 2; level <= 9; ++level) {
    doc += " <!ENTITY lol" + std::to_string(level) + " \"";
    const std::string inner = level == 2 ? "lol" : "lol" + std::to_string(level - 1);
    for (int i = 0; i < 10; ++i) doc += "&" + inner + ";";
    doc += "\">\n";
  }
  return doc + "]>\n" + body + "\n";
}

// Hostile or broken documents that every reader must refuse. Each body mentions
// `rootName` so that the reader would otherwise find something to read.
struct BadDocument {
  const char* label;
  std::string text;
};

inline std::vector<BadDocument> badDocuments(const std::string& validDocument) {
  const std::string truncated = validDocument.substr(0, validDocument.size() * 2 / 3);
  return {
      {"billion laughs in content", billionLaughs("<r><x name=\"a\">&lol9;</x></r>")},
      {"billion laughs in an attribute", billionLaughs("<r><x name=\"&lol9;\"/></r>")},
      {"external entity",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE r [ <!ENTITY x SYSTEM \"file:///etc/passwd\"> ]>\n"
       "<r>&x;</r>\n"},
      {"external parameter entity",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE r [ <!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p; "
       "]>\n<r/>\n"},
      {"truncated", truncated},
      {"not XML", "this is not a document"},
      {"empty file", ""},
      {"unbound prefix", "<r><q:x/></r>"},
  };
}

}  // namespace xmltest

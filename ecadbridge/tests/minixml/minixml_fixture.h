// A scratch directory and one init..close round of the reader per test.
//
// Between minixml_parser_init and minixml_parser_close the process's standard output is the
// reader's log, so tests only call the reader there and collect what the getters return; all
// checks come after close(), when gtest's own output reaches the terminal again.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "ecadbridge/minixml.h"
#include "testsupport/temp_dir.h"

namespace minixml_test {

using Getter = void* (*)(void**);
// The ten status getters, in results-object order.
extern const std::array<Getter, 10> kStatusGetters;

// "<null>" for an absent text, so that comparisons show the difference.
std::string text(const char* value);

using testsupport::readFile;
using testsupport::writeFile;

class MinixmlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string logPath() const { return path("minixml.log"); }
  std::string errorPath() const { return path("errors.txt"); }

  // minixml_parser_init on logPath(); the result is in initResult_.
  void open();
  void close();

  // Writes xml to a file of its own and parses it with errorPath() as error output.
  int parse(const std::string& xml, const char* mode, const std::string& name = "doc.xml");

  std::string log() const { return readFile(logPath()); }
  std::string errors() const { return readFile(errorPath()); }

  int initResult_ = -2;

 private:
  std::unique_ptr<testsupport::TempDir> scratch_;
  std::string dir_;
  bool open_ = false;
};

}  // namespace minixml_test

#include "minixml_fixture.h"

#include <stdlib.h>

#include <filesystem>

#include "platform/files.h"

namespace minixml_test {

const std::array<Getter, 10> kStatusGetters = {
    minixml_parser_getEDAStatus,
    minixml_parser_getEDAPreSaveStatus,
    minixml_parser_getEDASaveStatus,
    minixml_parser_getEDAPreSaveAsStatus,
    minixml_parser_getEDASaveAsStatus,
    minixml_parser_getEDACheckOutOrRefreshStatus,
    minixml_parser_getEDAGetStagingDirStatus,
    minixml_parser_getEDAReconcilePartsSelectStatus,
    minixml_parser_getEDAPreCheckInStatus,
    minixml_parser_getEDACancelCheckoutStatus,
};

std::string text(const char* value) { return value != nullptr ? value : "<null>"; }

void MinixmlTest::SetUp() {
  scratch_ = std::make_unique<testsupport::TempDir>("minixml_test");
  ASSERT_FALSE(scratch_->path().empty());
  dir_ = scratch_->path();
}

void MinixmlTest::TearDown() {
  close();
  scratch_.reset();
}

void MinixmlTest::open() {
  initResult_ = minixml_parser_init(logPath().c_str());
  open_ = initResult_ == 0;
}

void MinixmlTest::close() {
  if (open_) minixml_parser_close();
  open_ = false;
}

int MinixmlTest::parse(const std::string& xml, const char* mode, const std::string& name) {
  writeFile(path(name), xml);
  return minixml_parser_parse(path(name).c_str(), mode, errorPath().c_str());
}

}  // namespace minixml_test

// Restructures of tables opened by name from a dictionary on the embedded
// engine. The host is attached to the driver, so that it can close a table
// at the end of a commit as a host does.
#ifndef VEVERAVE_TESTS_DRIVER_RESTRUCTURE_RESTRUCTURE_FIXTURE_H_
#define VEVERAVE_TESTS_DRIVER_RESTRUCTURE_RESTRUCTURE_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "driver/tables/open_file.h"
#include "tables/file_open_fixture.h"
#include "veverave/driver.h"

namespace vv::testing {

// The texts and kinds a commit sends to its progress callback.
inline std::vector<std::pair<std::string, int32_t>>& ProgressLines() {
  static std::vector<std::pair<std::string, int32_t>> lines;
  return lines;
}
inline int16_t VV_CALL ProgressRecord(const char* text, int32_t kind) {
  ProgressLines().emplace_back(text, kind);
  return 0;
}

class RestructureFixture : public FileOpenFixture {
 protected:
  void SetUp() override {
    FileOpenFixture::SetUp();
    host_.AttachDriver(table());
    ProgressLines().clear();
  }
  void TearDown() override {
    host_.DetachDriver();
    FileOpenFixture::TearDown();
  }
  // Opens the table and starts its restructure; the restructure record.
  driver::OpenFile* OpenAndStart(const std::string& name, int32_t* handle) {
    EXPECT_EQ(Open(name, handle), 0) << TakeError();
    int32_t h = *handle;
    EXPECT_EQ(btrStructureStart(&h, 0), 0) << TakeError();
    return File(*handle) != nullptr ? File(*handle)->lpNewFile : nullptr;
  }
  // The restructure of CUST (ID@0+4 NAME@4+20 CITY@24+10; index 1 on ID,
  // index 2 on CITY and the record number).
  driver::OpenFile* OpenCust(int32_t* handle) {
    AddCust();
    return OpenAndStart("CUST", handle);
  }
  // "NAME@offset+size" of fields 1..nFields.
  static std::string Layout(const driver::OpenFile* file) {
    std::string text;
    for (int32_t i = 1; i <= file->nFields; ++i) {
      const driver::FieldDesc& f = file->lpFields[i];
      if (!text.empty()) text += ' ';
      text += std::string(f.lpszName != nullptr ? f.lpszName : "") + "@" +
              std::to_string(f.nOffset) + "+" + std::to_string(f.nSize);
    }
    return text;
  }
  // Points segment s of index i of the record at field f.
  static void SegmentSet(driver::OpenFile* file, int32_t i, int32_t s, int32_t f) {
    driver::IndexDesc& index = file->lpIndexes[i];
    driver::FieldDesc* old = index.lpSegments[s].lpField;
    index.nKeyLen += file->lpFields[f].nSize - (old != nullptr ? old->nSize : 0);
    index.lpSegments[s].lpField = &file->lpFields[f];
  }
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_RESTRUCTURE_RESTRUCTURE_FIXTURE_H_

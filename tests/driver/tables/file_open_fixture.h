// Tables opened by name through the exported entry points, on dictionaries
// and Btrieve files the dictionary builder makes in the host's data
// directory.
#ifndef VEVERAVE_TESTS_DRIVER_TABLES_FILE_OPEN_FIXTURE_H_
#define VEVERAVE_TESTS_DRIVER_TABLES_FILE_OPEN_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/btrieve/btr_binding.h"
#include "driver/frame/logins/login.h"
#include "driver/tables/open_file.h"
#include "platform/platform.h"
#include "tables/ddf_fixture.h"

namespace vv::testing {

class FileOpenFixture : public DdfFixture {
 protected:
  // The table most tests open: CUST in CUST.BTR, a unique key on ID and a
  // key that allows duplicates on CITY.
  void AddCust() {
    ASSERT_TRUE(dict_->AddTable({"CUST",
                                 "CUST.BTR",
                                 {{"ID", BTR_TYPE_INTEGER, 4},
                                  {"NAME", BTR_TYPE_STRING, 20},
                                  {"CITY", BTR_TYPE_STRING, 10}},
                                 {{{{"ID"}}}, {{{"CITY"}}, BTR_KEY_DUPLICATES}}}))
        << dict_->error();
  }
  // btrFileOpen under the lowest free handle (or the one given); the handle
  // in *handle.
  int16_t Open(const std::string& name, int32_t* handle, int32_t mode = 0) {
    if (*handle == 0) *handle = host_.FreeHandle();
    return btrFileOpen(name.c_str(), mode, handle);
  }
  driver::OpenFile* File(int32_t handle) {
    return static_cast<driver::OpenFile*>(host_.FileFromHandle(handle));
  }
  std::string Path(const std::string& name) { return dir() + platform::kPathSeparator + name; }
  // Saves a new record with the fields given as text.
  int16_t Insert(int32_t handle, std::initializer_list<std::pair<int32_t, const char*>> values) {
    btrFileClear(handle);
    for (const auto& [field, text] : values) btrFieldPutString(handle, field, text, 0, 0, 0);
    return btrRecordSave(handle);
  }
  // A field's text without blanks at either end.
  std::string Get(int32_t handle, int32_t field) {
    char buffer[256] = {};
    btrFieldGetString(handle, field, buffer, 0, 0);
    std::string text = buffer;
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, text.find_first_not_of(' '));
    return text;
  }
  // After an open that failed with status under handle: its error as
  // "number text", taken, once it is checked that the status is that error
  // and that nothing is left behind (no record on the handle, none in the
  // login's list, no more tables counted than the openCount before).
  std::string FailedOpen(int32_t handle, int16_t status, int32_t openCount) {
    EXPECT_EQ(status, host_.error());
    EXPECT_NE(status, 0);
    EXPECT_EQ(File(handle), nullptr);
    if (driver::ServerLogin* login = driver::mvbtrLoginFind("")) {
      for (driver::OpenFile* file = login->lpFiles; file != nullptr; file = file->lpNext) {
        EXPECT_NE(file->hFile, handle);
      }
    }
    EXPECT_EQ(globals() != nullptr ? globals()->nOpenFiles : 0, openCount);
    return TakeError();
  }
  // An open that must fail (see FailedOpen).
  std::string OpenFails(const std::string& name, int32_t mode = 0) {
    SCOPED_TRACE(name);
    const int32_t openCount = globals() != nullptr ? globals()->nOpenFiles : 0;
    int32_t handle = 0;
    const int16_t status = Open(name, &handle, mode);
    return FailedOpen(handle, status, openCount);
  }
  // True when another client can open the Btrieve file exclusively: no
  // client holds it open.
  static bool FileIsFree(const std::string& path) {
    BtrCallIdFn engine = driver::mvbtrBtrCallIdBound();
    uint8_t client[BTR_CLIENT_ID_SIZE] = {'F', 'R', 'E', 'E'};
    uint8_t pos[BTR_POS_BLOCK_SIZE] = {};
    std::string key = path;
    uint32_t length = 0;
    if (engine(BTR_OPEN, pos, nullptr, &length, key.data(), BTR_MAX_KEY_SIZE, BTR_OPEN_EXCLUSIVE,
               client) != 0) {
      return false;
    }
    engine(BTR_CLOSE, pos, nullptr, &length, nullptr, 0, 0, client);
    return true;
  }
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_TABLES_FILE_OPEN_FIXTURE_H_

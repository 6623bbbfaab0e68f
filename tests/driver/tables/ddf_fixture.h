// A driver fixture with a dictionary on the embedded engine: the host's data
// directory holds FILE.DDF, FIELD.DDF and INDEX.DDF made by the dictionary
// builder, and a tap on the Btrieve gateway records the operation of every
// call that passes to the engine.
#ifndef VEVERAVE_TESTS_DRIVER_TABLES_DDF_FIXTURE_H_
#define VEVERAVE_TESTS_DRIVER_TABLES_DDF_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ddf/dictionary_builder.h"
#include "driver/btrieve/btr_binding.h"
#include "driver/btrieve/btr_call.h"
#include "driver/frame/logins/login.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/file_record.h"
#include "support/driver_fixture.h"
#include "veverave/engine.h"

namespace vv::testing {

// The operations, position blocks and client identifiers of the calls that
// went through the tap, in order.
struct TapCall {
  uint16_t op;
  std::string client;  // the 16 identifier bytes
  const void* posBlock;
};

inline std::vector<TapCall>& TapCalls() {
  static std::vector<TapCall> calls;
  return calls;
}

inline int16_t VV_CALL Tap(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                           void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId) {
  TapCalls().push_back(
      {op, clientId != nullptr ? std::string(reinterpret_cast<char*>(clientId), 16) : "",
       posBlock});
  return driver::mvbtrBtrCallIdBound()(op, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum,
                                       clientId);
}

class DdfFixture : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    std::string error;
    dict_ = ddf::DictionaryBuilder::Create(dir(), &error);
    ASSERT_TRUE(dict_) << error;
    TapCalls().clear();
    previous_ = driver::BtrCallInterpose(&Tap);
  }
  void TearDown() override {
    for (driver::OpenFile*& file : tables_) driver::mvbtrFileRecordFree(&file);
    btrLogout("");
    driver::BtrCallInterpose(previous_);
    dict_.reset();
    vvEngineSetOption(VVENGINE_OPTION_VERSION, nullptr);
    DriverFixture::TearDown();
  }

  // The login of the empty server name.
  driver::ServerLogin* Login() {
    EXPECT_EQ(btrLogin("", "", ""), 0) << host_.error() << " " << host_.error_text();
    return driver::mvbtrLoginFind("");
  }
  // A table record as the open makes it, named name, freed by the fixture.
  driver::OpenFile* Table(const char* name) {
    void* block = driver::DriverAlloc(sizeof(driver::OpenFile));
    std::memset(block, 0, sizeof(driver::OpenFile));
    auto* file = static_cast<driver::OpenFile*>(block);
    driver::mvbtrFileRecordInit(file, true);
    driver::mvbtrStrNewCpy(&file->lpszDdfName, name);
    tables_.push_back(file);
    return file;
  }
  // The dictionary steps of a table open, up to the first failure.
  int16_t ReadStructure(driver::ServerLogin* login, driver::OpenFile* file) {
    if (driver::ddfFileRead(login, file) != 0) return host_.error();
    if (driver::ddfFieldsRead(login, file) != 0) return host_.error();
    if (driver::ddfIndexesRead(login, file) != 0) return host_.error();
    if (driver::mvbtrCopyDdfFields(file) != 0) return host_.error();
    return driver::mvbtrIndexCreateFromDdfSegments(file);
  }
  // The pending error as "number text", cleared.
  std::string TakeError() {
    std::string text = std::to_string(host_.error()) + " " + host_.error_text();
    host_.ClearError();
    return text;
  }
  // How many calls of operation op went through the tap.
  static int Count(uint16_t op) {
    int n = 0;
    for (const TapCall& call : TapCalls()) n += call.op == op ? 1 : 0;
    return n;
  }

  std::unique_ptr<ddf::DictionaryBuilder> dict_;
  std::vector<driver::OpenFile*> tables_;
  BtrCallIdFn previous_ = nullptr;
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_TABLES_DDF_FIXTURE_H_

// Finds on index 0 of a table whose Btrieve file has no key for it: the
// record number is the physical address, read with Get Direct, and the find
// steps physically from it or from an end of the file.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/tables/file_record.h"
#include "support/engine_table.h"

namespace vv::testing {
namespace {

class RecordFindPhysicalTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    t_ = &Engine({{VV_HOST_TYPE_BCD, BTR_TYPE_INTEGER, 4, 10, 0, false, "ID"}}, {{{1}}});
    globals()->bAllowUnlockedUpdates = 1;
    // Ids that do not follow the physical order.
    for (int id : {30, 10, 50, 20, 40}) {
      driver::mvbtrFileClear(t_->file());
      Put(*t_, 1, std::to_string(id));
      ASSERT_EQ(btrRecordSave(t_->handle()), 0);
      numbers_.push_back(Get(*t_, 0));
    }
  }
  // The id found on index 0, or minus the error.
  int Find(int32_t mode) {
    if (int16_t error = btrRecordFind(t_->handle(), 0, mode)) {
      TakeError();
      return -error;
    }
    return std::stoi(Get(*t_, 1));
  }
  // Field 0 set to the record number of the n-th record inserted.
  void Number(int n) { ASSERT_EQ(Put(*t_, 0, numbers_[n]), 0); }

  EngineTable* t_ = nullptr;
  std::vector<std::string> numbers_;
};

TEST_F(RecordFindPhysicalTest, ModesStepAndReadByRecordNumber) {
  EngineTrace trace;
  auto clear = [&] { driver::mvbtrFileClear(t_->file()); };
  struct Step {
    std::function<void()> before;
    int32_t mode;
    int id;
    std::string ops;
  };
  const Step steps[] = {
      {clear, VV_FIND_GE, 30, "33"},
      {nullptr, VV_FIND_GT, 10, "24"},
      {nullptr, VV_FIND_LT, 30, "35"},
      {nullptr, VV_FIND_LT, -41, "35"},
      {clear, VV_FIND_LE, 40, "34"},
      {[&] { Number(3); }, VV_FIND_EQ, 20, "23"},
      // Another record named: read, then stepped from.
      {[&] { Number(1); }, VV_FIND_GT, 50, "22 23 24"},
      {[&] {
         clear();
         Number(2);
       },
       VV_FIND_LT, 10, "22 23 35"},
      // Named again as the record it is: stepped from without a read.
      {[&] {
         Number(4);
         Number(1);
       },
       VV_FIND_GT, 50, "22 24"},
      {[&] { Put(*t_, 0, "999999"); }, VV_FIND_EQ, -25, "23"},
      // A number that names no record: the nearest end.
      {nullptr, VV_FIND_GE, 30, "23 33"},
      {[&] { Put(*t_, 0, "999999"); }, VV_FIND_LE, 40, "23 34"},
      {nullptr, VV_FIND_GT, -42, "24"},
      {nullptr, VV_FIND_LT, 20, "35"},
  };
  for (const Step& step : steps) {
    if (step.before) step.before();
    EXPECT_EQ(Find(step.mode), step.id) << step.ops;
    EXPECT_EQ(trace.Take(), step.ops);
    EXPECT_EQ(t_->file()->nCurIndex, -1) << "physical finds leave no key path";
  }
}

TEST_F(RecordFindPhysicalTest, GetDirectSendsTheNumberWithoutAKeyPath) {
  EngineTrace trace;
  Number(2);
  EXPECT_EQ(Find(VV_FIND_EQ), 50);
  const auto calls = trace.TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].op, BTR_GET_DIRECT);
  EXPECT_EQ(calls[0].keyNum, BTR_KEY_NONE);
  EXPECT_EQ(calls[0].dataLen, static_cast<uint32_t>(t_->file()->nRecLen));
  EXPECT_EQ(Get(*t_, 0), numbers_[2]);
}

}  // namespace
}  // namespace vv::testing

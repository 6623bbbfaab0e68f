// btrStructureStart and btrStructureAbort: the restructure record of an open
// table and of a new table, the count of open tables, refusals, and
// allocation failures that leave the table as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "restructure/restructure_fixture.h"

namespace vv::testing {
namespace {

using driver::OpenFile;

class StructureStartTest : public RestructureFixture {};

TEST_F(StructureStartTest, CopiesTheTableAndAbortDropsIt) {
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  OpenFile* table = File(h);
  EXPECT_EQ(r->lpNewFile, table);
  EXPECT_EQ(table->bRestructuring, 1);
  EXPECT_STREQ(r->lpszDdfName, "CUST");
  EXPECT_NE(r->lpszDdfName, table->lpszDdfName);
  EXPECT_EQ(Layout(r), Layout(table));
  EXPECT_EQ(r->lpFields[3].nOldNumber, 3);
  EXPECT_EQ(r->lpFields[3].lpData, nullptr);
  // Every segment is on the copy's own field of the same number.
  EXPECT_EQ(r->lpIndexes[2].lpSegments[1].lpField, &r->lpFields[3]);
  EXPECT_EQ(r->lpIndexes[2].lpSegments[2].lpField, &r->lpFields[0]);
  EXPECT_EQ(globals()->nOpenFiles, 2);

  int32_t again = h;
  EXPECT_EQ(btrStructureStart(&again, 0), driver::kErrRestructureOpen);
  EXPECT_EQ(TakeError(), "4104 ");

  EXPECT_EQ(btrStructureAbort(h), 0);
  EXPECT_EQ(table->lpNewFile, nullptr);
  EXPECT_EQ(table->bRestructuring, 0);
  EXPECT_EQ(globals()->nOpenFiles, 1);
  // A new restructure can start; closing the table ends it with the table.
  ASSERT_EQ(btrStructureStart(&again, 0), 0) << TakeError();
  EXPECT_EQ(globals()->nOpenFiles, 2);
  EXPECT_EQ(btrFileClose(h, 0), 0);
  EXPECT_EQ(globals()->nOpenFiles, 0);
}

TEST_F(StructureStartTest, NewTableUnderANegativeHandle) {
  int32_t h = -5;
  ASSERT_EQ(btrStructureStart(&h, 0), 0) << TakeError();
  OpenFile* r = File(-5);
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->lpszDdfName, "MVDFLT");
  EXPECT_STREQ(r->lpszBtrPath, "MVDFLT.BTR");
  EXPECT_EQ(r->bLayoutChanged, 1);
  EXPECT_EQ(r->nFields, 0);
  EXPECT_EQ(r->lpIndexes[0].nKeyNumber, -1);
  EXPECT_EQ(r->nRecLen, 6);
  EXPECT_EQ(globals()->nOpenFiles, 1);
  // The field and index calls work on it under its handle.
  EXPECT_EQ(btrFieldCreate(-5, 0), 1);
  EXPECT_EQ(btrIndexCreate(-5), 1);

  EXPECT_EQ(btrStructureStart(&h, 0), driver::kErrRestructureOpen);
  host_.ClearError();
  EXPECT_EQ(btrStructureAbort(-5), 0);
  EXPECT_EQ(File(-5), nullptr);
  EXPECT_EQ(globals()->nOpenFiles, 0);
}

TEST_F(StructureStartTest, HandlesWithoutATableAreRefused) {
  for (int32_t handle : {0, 7}) {
    SCOPED_TRACE(handle);
    int32_t h = handle;
    EXPECT_EQ(btrStructureStart(&h, 0), driver::kErrBadFileHandle);
    EXPECT_EQ(TakeError(), "72 btrStructureStart");
  }
  EXPECT_EQ(btrFieldCreate(7, 0), 0);
  EXPECT_EQ(TakeError(), "72 btrFieldCreate");
  // An open table without a restructure.
  AddCust();
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0);
  EXPECT_EQ(btrIndexCreate(h), -1);
  EXPECT_EQ(TakeError(), "4110 btrIndexCreate");
  EXPECT_EQ(btrStructureEnd(h, 0, 0, nullptr), driver::kErrNoRestructure);
  host_.ClearError();
}

// Each allocation of a start fails in turn: error 10 with the routine's
// text, the table as it was, nothing counted and nothing left allocated.
TEST_F(StructureStartTest, OutOfMemoryAnywhereLeavesTheTableAsItWas) {
  AddCust();
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0);
  OpenFile* table = File(h);
  // A collating sequence, so that its copy is part of the sweep.
  table->lpAcs = static_cast<uint8_t*>(driver::DriverAlloc(BTR_ACS_SIZE));
  std::memset(table->lpAcs, 0xAC, BTR_ACS_SIZE);
  table->nAcs = 1;
  std::set<std::string> texts;
  for (long n = 1;; ++n) {
    SCOPED_TRACE(n);
    const long live = driver::AllocLive();
    driver::AllocFailureSet(n);
    int32_t handle = h;
    const int16_t status = btrStructureStart(&handle, 0);
    if (driver::AllocFailureSet(0) < n) {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(std::memcmp(table->lpNewFile->lpAcs, table->lpAcs, BTR_ACS_SIZE), 0);
      break;
    }
    EXPECT_EQ(status, driver::kErrOutOfMemory);
    texts.insert(TakeError());
    EXPECT_EQ(table->lpNewFile, nullptr);
    EXPECT_EQ(table->bRestructuring, 0);
    EXPECT_EQ(globals()->nOpenFiles, 1);
    EXPECT_EQ(driver::AllocLive(), live);
  }
  EXPECT_EQ(texts, (std::set<std::string>{"10 ", "10 mvbtrFileStrCpy", "10 mvbtrFieldCopyAll",
                                          "10 mvbtrStrNewCpy", "10 mvbtrIndexCopyAll",
                                          "10 mvbtrSegmentCopyAll", "10 mvbtrStructureStart"}));
}

}  // namespace
}  // namespace vv::testing

// Index editing on a restructure: slots, segment removal and main indexes,
// allocation failures, and the key layout blocks that Create Supplemental
// Index sends, byte for byte, with the progress texts and statuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/index_edit.h"
#include "driver/tables/file_open.h"
#include "restructure/restructure_fixture.h"
#include "support/btr_recorder.h"

namespace vv::testing {
namespace {

using driver::OpenFile;

class IndexEditTest : public RestructureFixture {
 protected:
  // Records the data buffer of every Create Supplemental Index as hex
  // bytes, a line per 16-byte block, then the key number; a collating
  // sequence sent along goes into *acs.
  static void BlocksRecord(BtrRecorder* recorder, std::string* text, std::string* acs) {
    recorder->onCall = [text, acs](const BtrCallRecord& call, uint32_t*) {
      if (call.op != BTR_CREATE_INDEX) return;
      const auto* data = static_cast<const uint8_t*>(call.dataBuf);
      const bool withAcs = call.dataLenIn % BTR_KEYDEF_SIZE == BTR_ACS_SIZE % BTR_KEYDEF_SIZE;
      const uint32_t blocks = call.dataLenIn - (withAcs ? BTR_ACS_SIZE : 0);
      for (uint32_t i = 0; i < blocks; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", data[i]);
        *text += std::string(i == 0 ? "" : i % BTR_KEYDEF_SIZE == 0 ? "\n" : " ") + hex;
      }
      if (withAcs) acs->assign(reinterpret_cast<const char*>(data) + blocks, BTR_ACS_SIZE);
      *text += " key " + std::to_string(static_cast<uint8_t>(call.keyNum)) + "\n";
    };
  }
};

TEST_F(IndexEditTest, NewIndexesTakeEmptySlotsFirst) {
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(btrIndexCreate(h), 3);
  EXPECT_EQ(r->lpIndexes[3].nSegments, 1);
  EXPECT_EQ(r->lpIndexes[3].lpSegments[1].lpField, &r->lpFields[0]);
  EXPECT_EQ(btrIndexDelete(h, 2), 0);
  EXPECT_EQ(r->lpIndexes[2].nSegments, 0);
  EXPECT_EQ(r->lpIndexes[2].nKeyLen, 0);
  EXPECT_EQ(btrIndexCreate(h), 2);
  EXPECT_EQ(r->nIndexes, 3);

  EXPECT_EQ(btrIndexDelete(h, 0), driver::kErrIndexRange);
  EXPECT_EQ(TakeError(), "20512 SegmentDelete");
  EXPECT_EQ(btrIndexDelete(h, 4), driver::kErrIndexRange);
  EXPECT_EQ(TakeError(), "20512 mvbtrIndexDelete");
  EXPECT_EQ(driver::mvbtrSegmentDelete(r, 1, 2), driver::kErrSegmentRange);
  EXPECT_EQ(TakeError(), "20513 SegmentDelete");
}

// ID stands first in index 4 and second in index 3: losing index 1, it takes
// the index where it stands earliest, not the lower number.
TEST_F(IndexEditTest, MainIndexMovesToTheEarliestPlace) {
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(btrIndexCreate(h), 3);
  driver::mvbtrIndexSetSegmentCount(r, 3, 2);
  SegmentSet(r, 3, 1, 2);
  SegmentSet(r, 3, 2, 1);
  ASSERT_EQ(btrIndexCreate(h), 4);
  SegmentSet(r, 4, 1, 1);
  ASSERT_EQ(r->lpFields[1].nMainIndex, 1);
  EXPECT_EQ(btrIndexDelete(h, 1), 0);
  EXPECT_EQ(r->lpFields[1].nMainIndex, 4);
  EXPECT_EQ(btrIndexDelete(h, 4), 0);
  EXPECT_EQ(r->lpFields[1].nMainIndex, 3);
}

TEST_F(IndexEditTest, OutOfMemoryLeavesTheIndexesAsTheyWere) {
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  // Growing the array (index 3) and filling an empty slot (index 1).
  for (int32_t slot : {3, 1}) {
    if (slot == 1) {
      ASSERT_EQ(btrIndexDelete(h, 1), 0);
    }
    const int32_t count = r->nIndexes;
    for (long n = 1;; ++n) {
      SCOPED_TRACE(std::to_string(slot) + " " + std::to_string(n));
      const long live = driver::AllocLive();
      driver::AllocFailureSet(n);
      const int32_t number = btrIndexCreate(h);
      if (driver::AllocFailureSet(0) < n) {
        EXPECT_EQ(number, slot);
        break;
      }
      EXPECT_EQ(number, -1);
      EXPECT_EQ(TakeError().substr(0, 3), "10 ");
      EXPECT_EQ(r->nIndexes, count);
      EXPECT_EQ(r->lpIndexes[1].nSegments, slot == 3 ? 1 : 0);
      EXPECT_EQ(driver::AllocLive(), live);
    }
  }
}

TEST_F(IndexEditTest, KeyLayoutBlocksByteForByte) {
  std::string acs(BTR_ACS_SIZE, 'u');
  acs[0] = static_cast<char>(BTR_ACS_SIGNATURE);
  WriteFile("UPPER.ACS", acs);
  WriteSettings("ACS_UPPER UPPER.ACS\n");
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  // Index 3: NAME without case, with ACS_UPPER loaded; index 4: an
  // AUTOINCREMENT ID, the record number in the middle, CITY.
  ASSERT_EQ(btrIndexCreate(h), 3);
  SegmentSet(r, 3, 1, 2);
  r->lpIndexes[3].lpSegments[1].nKeyFlags |= BTR_KEY_NO_CASE;
  ASSERT_EQ(btrIndexCreate(h), 4);
  driver::mvbtrIndexSetSegmentCount(r, 4, 3);
  SegmentSet(r, 4, 1, 1);
  SegmentSet(r, 4, 3, 3);
  r->lpFields[1].nBtrType = BTR_TYPE_AUTOINCREMENT;

  BtrRecorder recorder;
  std::string blocks;
  std::string sent;
  BlocksRecord(&recorder, &blocks, &sent);
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(driver::mvbtrIndexCreate(r, i, nullptr), 0);
  EXPECT_EQ(blocks,
            // ID, unique, an AUTOINCREMENT key of its own: key 0.
            "01 00 04 00 00 01 00 00 00 00 0F 00 00 00 80 00 key 128\n"
            // CITY with the record number appended: duplicates, key 1.
            "19 00 0A 00 01 01 00 00 00 00 00 00 00 00 81 00 key 129\n"
            // NAME through ACS_UPPER, sent along.
            "05 00 14 00 22 05 00 00 00 00 00 00 00 00 82 00 key 130\n"
            // AUTOINCREMENT as INTEGER in a key of several; the record
            // number left out of the middle: duplicates.
            "01 00 04 00 13 01 00 00 00 00 01 00 00 00 83 00\n"
            "19 00 0A 00 03 01 00 00 00 00 00 00 00 00 83 00 key 131\n");
  EXPECT_EQ(sent, acs);
  EXPECT_EQ(r->lpIndexes[4].nSegments, 2);
  EXPECT_EQ(r->lpIndexes[4].lpSegments[2].lpField, &r->lpFields[3]);
  EXPECT_EQ(r->lpIndexes[4].bRecnumAppended, 1);
  EXPECT_EQ(r->lpIndexes[4].nKeyNumber, 3);
  EXPECT_EQ(r->lpIndexes[4].bDefined, 1);

  // With RECNUM_SUPPORT index 1 is key 1.
  r->bRecnumSupport = 1;
  EXPECT_EQ(driver::mvbtrIndexCreate(r, 1, nullptr), 0);
  EXPECT_EQ(static_cast<uint8_t>(recorder.calls().back().keyNum), 0x81);
}

TEST_F(IndexEditTest, StatusesOfCreateAndDrop) {
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  BtrRecorder recorder;
  recorder.Answer(
      {BTR_STATUS_DUPLICATE_KEY, BTR_STATUS_INCONSISTENT_KEY_FLAGS, BTR_STATUS_INVALID_KEY_NUMBER});
  EXPECT_EQ(driver::mvbtrIndexCreate(r, 1, &ProgressRecord), BTR_STATUS_DUPLICATE_KEY);
  EXPECT_EQ(host_.error(), 0);
  EXPECT_EQ(r->lpIndexes[1].bDefined, 0);
  EXPECT_EQ(driver::mvbtrIndexCreate(r, 1, &ProgressRecord), 21045);
  EXPECT_EQ(TakeError(), "21045 mvbtrIndexCreate (CUST)");
  EXPECT_EQ(driver::mvbtrIndexDrop(File(h), 2, &ProgressRecord), 21006);
  EXPECT_EQ(TakeError(), "21006 mvbtrIndexDrop (CUST)");
  EXPECT_EQ(recorder.calls().back().op, BTR_DROP_INDEX);
  EXPECT_EQ(static_cast<uint8_t>(recorder.calls().back().keyNum), 0x81);
  EXPECT_EQ(File(h)->lpIndexes[2].bDefined, 1);
  const std::vector<std::pair<std::string, int32_t>> expected = {
      {"Creating index 1", 0}, {"Cannot create index 1: Duplicates.", 9},
      {"Creating index 1", 0}, {"Btrieve error 45 creating index 1", 9},
      {"Dropping index 2", 0}, {"Could not drop index 2.", 0}};
  EXPECT_EQ(ProgressLines(), expected);
}

}  // namespace
}  // namespace vv::testing

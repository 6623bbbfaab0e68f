// Setting attributes: the errors the host sees, attributes set in a
// restructure and seen after the commit and a reopen, and a whole new table
// defined through attributes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "attributes/attribute_fixture.h"
#include "driver/frame/errors.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using AttributeSetTest = AttributeFixture;

enum Entry { kGetN, kGetS, kSetN, kSetS };
// Handles of a step: the open table, handle 0, a handle without a table.
constexpr int32_t kTable = -100;
constexpr int32_t kNoTable = 99;

struct Step {
  Entry entry;
  int32_t hFile, attr, n1, n2, value;
  const char* text;   // for kSetS
  const char* error;  // "number text" the host sees, "0 " for none
};

class AttributeScript : public AttributeSetTest {
 protected:
  void Run(int32_t h, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      const int32_t handle = s.hFile == kTable ? h : s.hFile;
      char buffer[64];
      switch (s.entry) {
        case kGetN:
          btrAttributeGetNumeric(handle, s.n1, s.n2, s.attr, s.value);
          break;
        case kGetS:
          btrAttributeGetString(handle, s.n1, s.n2, s.attr, buffer, 64, 0);
          break;
        case kSetN:
          btrAttributeSetNumeric(handle, s.n1, s.n2, s.attr, s.value, 0);
          break;
        case kSetS:
          btrAttributeSetString(handle, s.n1, s.n2, s.attr, s.text, 0);
          break;
      }
      EXPECT_EQ(TakeError(), s.error) << s.attr << " of " << s.n1 << "," << s.n2 << " = " << s.value
                                      << (s.text != nullptr ? s.text : "");
    }
  }
};

TEST_F(AttributeScript, ErrorsOnAnOpenTable) {
  int32_t h = 0;
  OpenItem(&h);
  Run(h, {
             {kGetN, 0, 111, 0, 0, 0, nullptr, "72 "},
             {kGetN, kNoTable, 111, 0, 0, 0, nullptr, "72 "},
                {kGetN, kTable, 202, 7, 0, 0, nullptr, "77 "},
                {kGetN, kTable, 211, 1, 7, 0, nullptr, "77 "},
             {kGetN, kTable, 305, 3, 0, 0, nullptr, "4099 "},
             {kGetN, kTable, 401, 2, 4, 0, nullptr, "4099 "},
             // Selector 1, the old number and string setters need a
             // restructure; so do setters of the layout.
             {kGetN, kTable, 111, 0, 0, 1, nullptr, "4110 "},
             {kGetN, kTable, 210, 1, 0, 0, nullptr, "4110 "},
             {kSetS, kTable, 207, 1, 0, 0, "X", "4110 "},
             {kSetN, kTable, 203, 2, 0, 10, nullptr, "4110 "},
             {kSetN, kTable, 403, 1, 1, 2, nullptr, "4110 "},
             {kSetN, kTable, 101, 0, 0, 1, nullptr, "4097 "},
             {kSetN, kTable, 106, 0, 0, 2, nullptr, "4097 "},
             {kSetN, kTable, 109, 0, 0, 4, nullptr, "4097 "},
                   {kSetN, kTable, 208, 1, 0, 3, nullptr, "4097 "},
             {kSetN, kTable, 135, 0, 0, 7, nullptr, "20505 "},
             {kSetN, kTable, 704, 1, 0, 1, nullptr, "4097 Field not Nullable"},
             {kSetN, kTable, 706, 1, 0, 1, nullptr, "4097 MV_FIELD_NULL_ALLOWED can not be set"},
             // Unsupported numbers do nothing unless the host is strict.
             {kGetN, kTable, 999, 0, 0, 0, nullptr, "0 "},
             {kSetN, kTable, 104, 0, 0, 5, nullptr, "0 "},
             {kGetS, kTable, 136, 0, 0, 0, nullptr, "0 "},
         });
  host_.set_strict(true);
  Run(h, {
             {kGetN, kTable, 999, 0, 0, 0, nullptr, "4285 "},
             {kSetN, kTable, 104, 0, 0, 5, nullptr, "4285 "},
             {kGetS, kTable, 136, 0, 0, 0, nullptr, "4285 "},
             {kSetS, kTable, 499, 1, 1, 0, "x", "4110 "},
         });
}

TEST_F(AttributeScript, ErrorsInARestructure) {
  int32_t h = 0;
  OpenItem(&h);
  ASSERT_EQ(Start(h), 0) << TakeError();
  Run(h,
      {
          {kSetS, kTable, 120, 0, 0, 0, "OTHER", "4120 "},
          // The owner of a file cannot change while it is restructured.
          {kSetS, kTable, 128, 0, 0, 0, "OWNER", "20516 SetOwner"},
          {kSetS, kTable, 207, 2, 0, 0, "", "4097 "},
          {kSetS, kTable, 207, 2, 0, 0, "price", "20509 "},
          {kSetS, kTable, 207, 2, 0, 0, "TAIL", "20509 "},
          {kSetS, kTable, 207, 2, 0, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "20520 ABCDEFGHIJKLMNOPQRST"},
          // TAIL laid over other bytes: its offset stays in the 42 bytes.
          {kSetN, kTable, 202, 6, 0, VV_HOST_TYPE_OVERLAP, nullptr, "0 "},
          {kSetN, kTable, 209, 6, 0, 42, nullptr, "20511 "},
          {kSetN, kTable, 209, 6, 0, 41, nullptr, "0 "},
          {kSetN, kTable, 202, 2, 0, 4, nullptr, "4097 "},
          {kSetN, kTable, 203, 2, 0, 256, nullptr, "4097 "},
          {kSetN, kTable, 203, 2, 0, 255, nullptr, "0 "},
          {kSetN, kTable, 203, 2, 0, 0, nullptr, "4097 "},
          {kSetN, kTable, 204, 3, 0, 10, nullptr, "4097 Precision > Size"},
          {kSetN, kTable, 203, 4, 0, 5, nullptr, "20536 "},
          {kSetN, kTable, 209, 2, 0, 1, nullptr, "20510 "},
          {kSetN, kTable, 401, 2, 1, 2, nullptr, "4097 "},
          {kSetN, kTable, 402, 1, 1, 1, nullptr, "4097 "},
          {kSetN, kTable, 403, 1, 1, 9, nullptr, "77 "},
          {kSetN, kTable, 401, 0, 1, 1, nullptr, "4099 "},
          {kSetN, kTable, 401, 1, 0, 1, nullptr, "4099 "},
          {kSetN, kTable, 301, 1, 0, -1, nullptr, "4097 "},
          // Text stored as a TIMESTAMP or an INTEGER has no length to set.
          {kSetN, kTable, 213, 5, 0, BTR_TYPE_TIMESTAMP, nullptr, "0 "},
          {kSetN, kTable, 203, 5, 0, 10, nullptr, "20560 "},
          {kSetN, kTable, 213, 5, 0, BTR_TYPE_INTEGER, nullptr, "0 "},
          {kSetN, kTable, 203, 5, 0, 10, nullptr, "20506 "},
      });
  // The cut name was taken; the refused ones were not.
  EXPECT_EQ(Text(h, 207, 2, 0, 256, 1), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(Text(h, 207, 2), "NAME");
  // NAME grew by 235 bytes; TAIL, behind it, moved with the fields.
  EXPECT_EQ(btrAttributeGetNumeric(h, 6, 0, 209, 1), 41 + 235);
  EXPECT_EQ(btrAttributeGetNumeric(h, 2, 0, 203, 1), 255);
  // A field inserted before NAME: the fields behind it keep their old numbers.
  ASSERT_EQ(btrFieldCreate(h, 2), 2);
  EXPECT_EQ(btrAttributeGetNumeric(h, 3, 0, 210, 1), 2);
  EXPECT_EQ(btrAttributeGetNumeric(h, 2, 0, 210, 1), 0);
  int32_t n = -3;
  ASSERT_EQ(btrStructureStart(&n, 0), 0) << TakeError();
  Run(n, {{kSetS, kTable, 120, 0, 0, 0, "", "4097 "}});
  btrStructureAbort(n);
}

// A restructure that changes only keys, names, decimals, relations and
// table flags commits in place; the new definition is what the reopened
// table shows.
TEST_F(AttributeSetTest, SetInARestructureSeenAfterReopening) {
  int32_t h = 0;
  OpenItem(&h);
  ASSERT_EQ(Save(h, "7", "Bolt"), 0) << TakeError();
  ASSERT_EQ(Start(h), 0) << TakeError();
  struct Set {
    int32_t attr, n1, n2, value;
  };
  const Set sets[] = {
      {204, 3, 0, 1},
      {205, 5, 0, 4},
      {206, 5, 0, 2},
      {208, 4, 0, 1},
      {129, 0, 0, 1},
      {401, 2, 2, 0},
      {402, 2, 1, 0},
      {401, 2, 1, 1},
      // Index 3 made from nothing on CODE, then given ADDED as second segment.
      {403, 3, 1, 5},
      {401, 3, 1, 1},
      {403, 3, 2, 4},
  };
  // The restructure sees each value at once, the open table keeps its own.
  for (const Set& s : sets) {
    const int32_t before = btrAttributeGetNumeric(h, s.n1, s.n2, s.attr, 0);
    host_.ClearError();
    EXPECT_EQ(btrAttributeSetNumeric(h, s.n1, s.n2, s.attr, s.value, 0), 0) << s.attr;
    EXPECT_EQ(btrAttributeGetNumeric(h, s.n1, s.n2, s.attr, 1), s.value) << s.attr;
    EXPECT_EQ(host_.error(), 0) << s.attr << ": " << TakeError();
    EXPECT_EQ(btrAttributeGetNumeric(h, s.n1, s.n2, s.attr, 0), before) << s.attr;
    host_.ClearError();
  }
  ASSERT_EQ(btrAttributeSetString(h, 2, 0, 207, "TITLE", 0), 0) << TakeError();
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 125, 0), VV_RESTRUCTURE_INDEXES);
  ASSERT_EQ(btrStructureEnd(h, 0, 0, nullptr), 0) << TakeError();

  int32_t h2 = 0;
  ASSERT_EQ(Open("ITEM", &h2), 0) << TakeError();
  for (const Set& s : sets) {
    EXPECT_EQ(btrAttributeGetNumeric(h2, s.n1, s.n2, s.attr, 0), s.value) << s.attr;
  }
  EXPECT_EQ(Text(h2, 207, 2), "TITLE");
  EXPECT_EQ(btrAttributeGetNumeric(h2, 0, 0, 110, 0), 3);
  EXPECT_EQ(btrAttributeGetNumeric(h2, 3, 0, 305, 0), 9 + 4);
  EXPECT_EQ(host_.error(), 0) << TakeError();
  // The record is found along the new index.
  btrFileClear(h2);
  ASSERT_EQ(btrRecordFind(h2, 3, VV_FIND_GE), 0) << TakeError();
  EXPECT_EQ(Get(h2, 2), "Bolt");
}

}  // namespace
}  // namespace vv::testing

// Attribute tests on ITEM, a table of known definition in the dictionary:
//
//   field  name   Btrieve type   offset size  host view
//   1      NO     INTEGER 4      0      4     BCD of 10 digits
//   2      NAME   STRING 20      4      20    ASCII 20
//   3      PRICE  DECIMAL 5, 2   24     5     BCD of 9 digits, 2 decimals
//   4      ADDED  DATE 4         29     4     DATE 4
//   5      CODE   LSTRING 9      33     9     ASCII 8
//   6      TAIL   STRING 2       40     2     ASCII 2, over the end of CODE
//
//   index 1: NO, unique; index 2: NAME ignoring case, PRICE descending,
//   duplicates (the record number is appended as third segment).
#ifndef VEVERAVE_TESTS_DRIVER_ATTRIBUTES_ATTRIBUTE_FIXTURE_H_
#define VEVERAVE_TESTS_DRIVER_ATTRIBUTES_ATTRIBUTE_FIXTURE_H_

#include <string>

#include "restructure/restructure_fixture.h"
#include "support/engine_table.h"
#include "support/field_table.h"
#include "veverave/engine.h"
#include "veverave/host_services.h"

namespace vv::testing {

class AttributeFixture : public RestructureFixture {
 protected:
  // Tables and new tables the test left open are closed and dropped.
  void TearDown() override {
    for (int32_t h = -kHandles; h <= kHandles; ++h) {
      if (h == 0 || File(h) == nullptr) continue;
      if (h < 0) {
        btrStructureAbort(h);
      } else {
        btrFileClose(h, 0);
      }
    }
    RestructureFixture::TearDown();
  }
  void AddItem() {
    // An INT file beside the table, which a commit writes again.
    WriteFile("ITEM.INT", "DRIVER_NAME VEVERAVE\n");
    // Files of version 7.0, so that the revision attribute reads "7.0".
    ASSERT_TRUE(EngineOptionSet(VVENGINE_OPTION_CREATE_VERSION, "0x70"));
    const bool added = dict_->AddTable(
        {"ITEM",
         "ITEM.BTR",
         {{"NO", BTR_TYPE_INTEGER, 4},
          {"NAME", BTR_TYPE_STRING, 20},
          {"PRICE", BTR_TYPE_DECIMAL, 5, 2},
          {"ADDED", BTR_TYPE_DATE, 4},
          {"CODE", BTR_TYPE_LSTRING, 9},
          {"TAIL", BTR_TYPE_STRING, 2, 0, 0, false, 40}},
         {{{{"NO"}}},
          {{{"NAME", BTR_KEY_NO_CASE}, {"PRICE", BTR_KEY_DESCENDING}}, BTR_KEY_DUPLICATES}}});
    EngineOptionSet(VVENGINE_OPTION_CREATE_VERSION, nullptr);
    ASSERT_TRUE(added) << dict_->error();
  }
  // ITEM opened under *h.
  void OpenItem(int32_t* h) {
    AddItem();
    ASSERT_EQ(Open("ITEM", h), 0) << TakeError();
  }
  // Saves a new record: field 1 and field 3 (when given) as numbers, field 2
  // as text.
  int16_t Save(int32_t h, const char* one, const char* two, const char* three = nullptr) {
    btrFileClear(h);
    const VvBcd first = Bcd(one);
    btrFieldPutBCD(h, 1, &first);
    btrFieldPutString(h, 2, two, 0, 0, 0);
    if (three != nullptr) {
      const VvBcd third = Bcd(three);
      btrFieldPutBCD(h, 3, &third);
    }
    return btrRecordSave(h);
  }
  // A number field as text.
  static std::string Number(int32_t h, int32_t field) {
    VvBcd value{};
    btrFieldGetBCD(h, field, &value);
    return BcdText(value);
  }
  int16_t Start(int32_t h) {
    int32_t handle = h;
    return btrStructureStart(&handle, 0);
  }
  static constexpr int32_t kHandles = 10;
  // A string attribute, or "error N text" when the getter failed.
  std::string Text(int32_t h, int32_t attr, int32_t n1 = 0, int32_t n2 = 0, int32_t size = 256,
                   int32_t selector = 0) {
    std::string buffer(static_cast<std::size_t>(size > 0 ? size : 1), 'x');
    if (btrAttributeGetString(h, n1, n2, attr, buffer.data(), size, selector) != 0) {
      // A failed getter leaves the buffer empty.
      return "error " + TakeError() + (buffer[0] == '\0' ? "" : " (buffer not emptied)");
    }
    return buffer.c_str();
  }
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_ATTRIBUTES_ATTRIBUTE_FIXTURE_H_

// Both field type mappings over every row of their tables (the error rows
// included), the type name tables and the integer digits table.
#include "driver/fields/type_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

using driver::FieldDesc;

class TypeMapTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    Initialise();
    ASSERT_NE(globals(), nullptr);
  }
  void TextType(uint8_t type) { globals()->nTextType = type; }
};

// ---- host type to Btrieve type

struct MvToBtrRow {
  int32_t hostType;
  uint8_t textType;
  int32_t hostLength;
  int32_t btrType;
  int32_t size;
  int32_t hostLengthAfter;
  int32_t precisionAfter;  // the field starts with 3 decimals
  uint16_t flagsAfter;
};

TEST_F(TypeMapTest, HostTypeToBtrieveTypeEveryRow) {
  const MvToBtrRow rows[] = {
      {driver::kHostAscii, driver::kTextLongvar, 10, BTR_TYPE_STRING, 10, 10, 0, 0},
      {driver::kHostOverlap, driver::kTextNote, 7, BTR_TYPE_STRING, 7, 7, 0, 0},
      {driver::kHostBcd, driver::kTextLongvar, 8, BTR_TYPE_DECIMAL, 5, 8, 3, 0},
      {driver::kHostBcd, driver::kTextLongvar, 9, BTR_TYPE_DECIMAL, 5, 9, 3, 0},
      {driver::kHostBcd, driver::kTextLongvar, 0, BTR_TYPE_DECIMAL, 1, 0, 3, 0},
      {driver::kHostDate, driver::kTextLongvar, 10, BTR_TYPE_DATE, 4, 4, 0, 0},
      {driver::kHostText, driver::kTextNote, 500, BTR_TYPE_ZSTRING, 501, 500, 3, 0},
      {driver::kHostText, driver::kTextLongvar, 500, BTR_TYPE_LONGVAR, 8, 500, 3, 0},
      {driver::kHostBinary, driver::kTextNote, 1000, driver::kAuxLstring2, 1002, 1000, 0, 0},
      {driver::kHostBinary, driver::kTextLongvar, 1000, BTR_TYPE_LONGVAR, 8, 1000, 3,
       driver::kDdfFieldBinary},
  };
  for (const MvToBtrRow& row : rows) {
    SCOPED_TRACE("host type " + std::to_string(row.hostType) + ", text type " +
                 std::to_string(row.textType));
    TextType(row.textType);
    FieldDesc field{};
    field.nHostType = row.hostType;
    field.nHostLength = row.hostLength;
    field.nPrecision = 3;
    field.nFieldDdfFlags = 0x0004;  // nullable: other flags are kept
    EXPECT_EQ(driver::mvbtrFieldMvTypeToBtrType(&field), 0);
    EXPECT_EQ(field.nBtrType, row.btrType);
    EXPECT_EQ(field.nSize, row.size);
    EXPECT_EQ(field.nHostLength, row.hostLengthAfter);
    EXPECT_EQ(field.nPrecision, row.precisionAfter);
    EXPECT_EQ(field.nFieldDdfFlags, 0x0004 | row.flagsAfter);
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(TypeMapTest, HostTypeWithoutStorageIs20488AndChangesNothing) {
  for (int32_t hostType : {int32_t{driver::kHostReserve1}, int32_t{7}, int32_t{-1}}) {
    host_.ClearError();
    FieldDesc field{};
    field.nHostType = hostType;
    field.nHostLength = 12;
    field.nBtrType = 99;
    field.nSize = 98;
    EXPECT_EQ(driver::mvbtrFieldMvTypeToBtrType(&field), driver::kErrHostType);
    EXPECT_EQ(host_.error_text(), "mvbtrFieldMvTypeToBtrType");
    EXPECT_EQ(field.nBtrType, 99);
    EXPECT_EQ(field.nSize, 98);
    EXPECT_EQ(field.nHostLength, 12);
  }
}

// ---- Btrieve type to host type

struct BtrToMvRow {
  int32_t btrType;
  int32_t size;
  uint16_t flags;
  int32_t hostType;
  int32_t hostLength;
  int32_t precision;  // the row's decimals are 2
  int32_t btrTypeAfter;
  int32_t sizeAfter;
};

TEST_F(TypeMapTest, BtrieveTypeToHostTypeEveryRow) {
  using driver::kHostAscii, driver::kHostBcd, driver::kHostDate, driver::kHostText,
      driver::kHostBinary;
  const BtrToMvRow rows[] = {
      {BTR_TYPE_STRING, 255, 0, kHostAscii, 255, 2, BTR_TYPE_STRING, 255},
      {BTR_TYPE_STRING, 256, 0, kHostText, 254, 2, driver::kAuxLstring2, 256},
      {BTR_TYPE_LSTRING, 256, 0, kHostAscii, 255, 2, BTR_TYPE_LSTRING, 256},
      {BTR_TYPE_LSTRING, 257, 0, kHostText, 256, 2, BTR_TYPE_LSTRING, 257},
      {BTR_TYPE_ZSTRING, 31, 0, kHostAscii, 30, 2, BTR_TYPE_ZSTRING, 31},
      {BTR_TYPE_ZSTRING, 300, 0, kHostText, 299, 2, BTR_TYPE_ZSTRING, 300},
      {BTR_TYPE_NOTE, 100, 0, kHostText, 99, 2, BTR_TYPE_NOTE, 100},
      {BTR_TYPE_INTEGER, 1, 0, kHostBcd, 3, 2, BTR_TYPE_INTEGER, 1},
      {BTR_TYPE_INTEGER, 2, 0, kHostBcd, 5, 2, BTR_TYPE_INTEGER, 2},
      {BTR_TYPE_UNSIGNED, 4, 0, kHostBcd, 10, 2, BTR_TYPE_UNSIGNED, 4},
      {BTR_TYPE_AUTOINCREMENT, 8, 0, kHostBcd, 14, 2, BTR_TYPE_AUTOINCREMENT, 8},
      {BTR_TYPE_FLOAT, 8, 0, kHostBcd, 22, 8, BTR_TYPE_FLOAT, 8},
      {BTR_TYPE_BFLOAT, 4, 0, kHostBcd, 22, 8, BTR_TYPE_BFLOAT, 4},
      {BTR_TYPE_DATE, 4, 0, kHostDate, 4, 2, BTR_TYPE_DATE, 4},
      {BTR_TYPE_TIME, 4, 0, kHostBcd, 8, 2, BTR_TYPE_TIME, 4},
      {BTR_TYPE_DECIMAL, 5, 0, kHostBcd, 9, 2, BTR_TYPE_DECIMAL, 5},
      {BTR_TYPE_MONEY, 6, 0, kHostBcd, 11, 2, BTR_TYPE_MONEY, 6},
      {BTR_TYPE_LOGICAL, 1, 0, kHostBcd, 3, 2, BTR_TYPE_LOGICAL, 1},
      {BTR_TYPE_NUMERIC, 7, 0, kHostBcd, 7, 2, BTR_TYPE_NUMERIC, 7},
      {BTR_TYPE_NUMERIC_SA, 6, 0, kHostBcd, 6, 2, BTR_TYPE_NUMERIC_SA, 6},
      {BTR_TYPE_BIT, 1, 0, kHostBcd, 1, 2, BTR_TYPE_BIT, 1},
      {BTR_TYPE_NUMERIC_STS, 6, 0, kHostBcd, 5, 2, BTR_TYPE_NUMERIC_STS, 6},
      {BTR_TYPE_CURRENCY, 8, 0, kHostBcd, 18, 4, BTR_TYPE_CURRENCY, 8},
      {BTR_TYPE_TIMESTAMP, 8, 0, kHostBcd, 18, 7, BTR_TYPE_TIMESTAMP, 8},
      {BTR_TYPE_LONGVAR, 12, 0, kHostText, 16384, 2, BTR_TYPE_LONGVAR, 8},
      {BTR_TYPE_LONGVAR, 8, driver::kDdfFieldBinary, kHostBinary, 16384, 2, BTR_TYPE_LONGVAR, 8},
      {BTR_TYPE_LVAR, 10, 0, kHostAscii, 0, 2, BTR_TYPE_LVAR, 10},
  };
  for (const BtrToMvRow& row : rows) {
    SCOPED_TRACE("Btrieve type " + std::to_string(row.btrType) + " of " + std::to_string(row.size) +
                 " bytes");
    driver::OpenFile file{};
    FieldDesc field{};
    field.nBtrType = row.btrType;
    field.nSize = row.size;
    field.nPrecision = 2;
    field.nFieldDdfFlags = row.flags;
    bool hasNote = false;
    EXPECT_EQ(driver::mvbtrFieldBtrTypeToMvType(&file, &field, &hasNote), 0);
    EXPECT_EQ(field.nHostType, row.hostType);
    EXPECT_EQ(field.nHostLength, row.hostLength);
    EXPECT_EQ(field.nPrecision, row.precision);
    EXPECT_EQ(field.nBtrType, row.btrTypeAfter);
    EXPECT_EQ(field.nSize, row.sizeAfter);
    EXPECT_EQ(hasNote, row.btrType == BTR_TYPE_NOTE);
    EXPECT_EQ(file.nLongvars, row.btrType == BTR_TYPE_LONGVAR ? 1 : 0);
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(TypeMapTest, IntegerOfALengthWithoutDigitsIs20482AndStillBuilt) {
  driver::OpenFile file{};
  FieldDesc field{};
  char name[] = "QTY";
  field.lpszName = name;
  field.nBtrType = BTR_TYPE_INTEGER;
  field.nSize = 3;
  EXPECT_EQ(driver::mvbtrFieldBtrTypeToMvType(&file, &field, nullptr), driver::kErrIntegerLength);
  EXPECT_EQ(host_.error_text(), "QTY");
  EXPECT_EQ(field.nHostType, driver::kHostBcd);
  EXPECT_EQ(field.nHostLength, 14);
}

TEST_F(TypeMapTest, DictionaryTypeWritesAuxiliaryTypesAsString) {
  EXPECT_EQ(driver::mvbtrFieldDdfType(driver::kAuxLstring2), BTR_TYPE_STRING);
  EXPECT_EQ(driver::mvbtrFieldDdfType(driver::kAuxMvbcd), BTR_TYPE_STRING);
  for (int32_t type = 0; type <= BTR_TYPE_LONGVAR; ++type) {
    EXPECT_EQ(driver::mvbtrFieldDdfType(type), type);
  }
}

TEST_F(TypeMapTest, NameAndDigitsTables) {
  EXPECT_STREQ(driver::kHostTypeNames[driver::kHostReserve1], "RESERVE1");
  EXPECT_STREQ(driver::kHostTypeNames[driver::kHostTypeCount], "") << "ends with an empty entry";
  EXPECT_STREQ(driver::mvbtrBtrTypeName(BTR_TYPE_FLOAT), "IEEE");
  EXPECT_STREQ(driver::mvbtrBtrTypeName(BTR_TYPE_BIT), "UNKNOWN");
  EXPECT_EQ(driver::mvbtrBtrTypeName(BTR_TYPE_CURRENCY), nullptr) << "beyond the name table";
  EXPECT_STREQ(driver::mvbtrBtrTypeName(driver::kAuxMvbcd), "MVBCD");
  EXPECT_EQ(driver::mvbtrBtrTypeNameFind("AUTOINCREMENT"), BTR_TYPE_AUTOINCREMENT);
  EXPECT_EQ(driver::mvbtrBtrTypeNameFind("UNKNOWN"), BTR_TYPE_LVAR) << "the first of the two";
  EXPECT_EQ(driver::mvbtrBtrTypeNameFind("LSTRING2"), -1);
  EXPECT_EQ(driver::mvbtrAuxTypeNameFind("LSTRING2"), driver::kAuxLstring2);
  EXPECT_EQ(driver::mvbtrAuxTypeNameFind("STRING"), -1);
  const int32_t digits[][2] = {{1, 3}, {2, 5}, {4, 10}, {8, 14}, {0, 0}, {3, 0}, {16, 0}};
  for (const auto& [bytes, expected] : digits)
    EXPECT_EQ(driver::mvbtrIntegerDigits(bytes), expected);
}

}  // namespace
}  // namespace vv::testing

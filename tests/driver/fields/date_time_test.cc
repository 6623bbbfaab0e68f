// Dates and times: Btrieve DATE and TIME against the host's date and time
// numbers, through btrFieldGetBCD/btrFieldPutBCD and directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "driver/fields/date_time.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostBcd;
using driver::kHostDate;

enum Field {
  kDate = 1,    // host DATE in a Btrieve DATE
  kTime,        // host BCD in a Btrieve TIME
  kStringDate,  // host DATE in a Btrieve STRING
  kNullDate,    // nullable host DATE
  kDateNumber,  // host BCD in a Btrieve DATE
};

class DateTimeTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    t_ = &Table({{kHostDate, BTR_TYPE_DATE, 4, 4},
                 {kHostBcd, BTR_TYPE_TIME, 4, 8},
                 {kHostDate, BTR_TYPE_STRING, 4, 4},
                 {kHostDate, BTR_TYPE_DATE, 4, 4, 0, true},
                 {kHostBcd, BTR_TYPE_DATE, 4, 4}},
                TableOptions{.trueNull = true});
  }
  FieldTable* t_ = nullptr;
};

TEST_F(DateTimeTest, DatePatterns) {
  struct Case {
    std::string bytes, number;
  } cases[] = {
      {"01 01 D0 07", "730500"},  // 1 January 2000
      {"1F 0C CF 07", "730499"},  // 31 December 1999
      {"1D 02 D4 07", "732020"},  // 29 February 2004
      {"01 03 D4 07", "732021"},  // 1 March 2004
      {"1D 02 6C 07", "694034"},  // 29 February 1900: every fourth year is a leap year
      {"01 01 01 00", "366"},     // 1 January of year 1
      {"02 01 00 00", "1"},       // 2 January of year 0
      {"00 00 00 00", "0"},
  };
  for (const Case& c : cases) {
    for (int32_t field : {kDate, kDateNumber}) {
      t_->SetBytes(field, Hex(c.bytes));
      EXPECT_EQ(GetNumber(*t_, field), c.number) << c.bytes;
      t_->SetBytes(field, Hex("AA AA AA AA"));
      EXPECT_EQ(PutNumber(*t_, field, c.number), 0);
      EXPECT_EQ(HexOf(t_->Bytes(field)), c.bytes) << c.number;
    }
  }
  EXPECT_EQ(host_.error(), 0);
  EXPECT_EQ(PutNumber(*t_, kDate, "-5"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kDate)), "00 00 00 00");
}

TEST_F(DateTimeTest, InvalidDates) {
  t_->SetBytes(kDate, Hex("1F 02 D0 07"));  // 31 February counts on into March
  EXPECT_EQ(GetNumber(*t_, kDate), "730561");
  EXPECT_EQ(TakeError(), 0);
  t_->SetBytes(kDate, Hex("13 00 00 00"));  // month 0 with a day is accepted
  EXPECT_EQ(GetNumber(*t_, kDate), "18");
  for (const char* bytes : {"00 05 D0 07", "01 01 B9 0B", "01 0D D0 07", "20 01 D0 07"}) {
    t_->SetBytes(kDate, Hex(bytes));
    EXPECT_EQ(GetNumber(*t_, kDate), "0") << bytes;
    EXPECT_EQ(host_.error(), 16) << bytes;
    EXPECT_EQ(TakeErrorText(), "mvbtrBtrDateToJulian");
  }
  // A number past 31 December 3000 is no Btrieve date.
  t_->SetBytes(kDate, Hex("01 01 D0 07"));
  t_->ClearMarks();
  EXPECT_EQ(PutNumber(*t_, kDate, std::to_string(driver::mvbtrJulianMax() + 1)), 11);
  EXPECT_EQ(TakeErrorText(), "TABLE.F1");
  EXPECT_EQ(HexOf(t_->Bytes(kDate)), "01 01 D0 07");
  EXPECT_EQ(t_->file()->bChanged, 0);
  EXPECT_EQ(PutNumber(*t_, kDate, std::to_string(driver::mvbtrJulianMax())), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kDate)), "1F 0C B8 0B");
}

TEST_F(DateTimeTest, DateHostFieldOfAnotherType) {
  GetNumber(*t_, kStringDate);
  EXPECT_EQ(host_.error(), 20489);
  EXPECT_EQ(TakeErrorText(), "btrFieldGetBCD MV_DATE");
  EXPECT_EQ(PutNumber(*t_, kStringDate, "730500"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kStringDate)), "01 01 D0 07") << "a put writes a DATE regardless";
}

TEST_F(DateTimeTest, Times) {
  t_->SetBytes(kTime, Hex("32 02 2D 0D"));  // 13:45:02.50
  EXPECT_EQ(GetNumber(*t_, kTime), "4950250");
  EXPECT_EQ(PutNumber(*t_, kTime, "8639999"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kTime)), "63 3B 3B 17");
  for (const char* value : {"8640000", "-1"}) {
    EXPECT_EQ(PutNumber(*t_, kTime, value), 11) << value;
    EXPECT_EQ(TakeErrorText(), "TABLE.F2");
    EXPECT_EQ(HexOf(t_->Bytes(kTime)), "63 3B 3B 17");
  }
  char text[16];
  const uint8_t time[4] = {0x32, 0x02, 0x2D, 0x0D};
  EXPECT_EQ(driver::mvbtrBtrTimeToText(text, 9, time), 0);
  EXPECT_STREQ(text, "134502,50");
  EXPECT_EQ(driver::mvbtrBtrTimeToText(text, 8, time), 4101);
  TakeError();
}

TEST_F(DateTimeTest, DateZeroMakesANullableDateNull) {
  driver::FieldDesc& f = t_->field(kNullDate);
  ASSERT_EQ(f.bIsNull, 1) << "a cleared nullable date is null";
  ASSERT_EQ(PutNumber(*t_, kNullDate, "730500"), 0);
  EXPECT_EQ(f.bIsNull, 0);
  EXPECT_EQ(f.lpData[-1], 0);
  EXPECT_EQ(HexOf(t_->Bytes(kNullDate)), "01 01 D0 07");
  t_->ClearMarks();
  ASSERT_EQ(PutNumber(*t_, kNullDate, "0"), 0);
  EXPECT_EQ(f.bIsNull, 1);
  EXPECT_EQ(f.lpData[-1], 1);
  EXPECT_EQ(HexOf(t_->Bytes(kNullDate)), "00 00 00 00");
  EXPECT_EQ(f.bFieldChanged, 1);
  t_->ClearMarks();
  std::string marks = t_->Marks();
  ASSERT_EQ(PutNumber(*t_, kNullDate, "0"), 0);
  EXPECT_EQ(t_->Marks(), marks) << "null already";
  // An empty date into a field that is not nullable is just the empty date.
  ASSERT_EQ(PutNumber(*t_, kDate, "0"), 0);
  EXPECT_EQ(t_->field(kDate).bIsNull, 0);
}

TEST(DateConversionTest, EveryDateOfYearsOneToThreeThousandRoundTrips) {
  const int kDays[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int32_t expected = 366;  // 1 January of year 1
  for (int year = 1; year <= 3000; ++year) {
    for (int month = 1; month <= 12; ++month) {
      int days = kDays[month] + (month == 2 && year % 4 == 0 ? 1 : 0);
      for (int day = 1; day <= days; ++day, ++expected) {
        const uint8_t date[4] = {static_cast<uint8_t>(day), static_cast<uint8_t>(month),
                                 static_cast<uint8_t>(year & 0xFF),
                                 static_cast<uint8_t>(year >> 8)};
        ASSERT_EQ(driver::mvbtrBtrDateToJulian(date), expected)
            << year << "-" << month << "-" << day;
        uint8_t back[4];
        driver::mvbtrJulianToBtrDate(expected, back);
        ASSERT_TRUE(std::equal(back, back + 4, date)) << expected;
      }
    }
  }
  EXPECT_EQ(expected - 1, driver::mvbtrJulianMax());
}

TEST(DateConversionTest, TextForms) {
  const uint8_t date[4] = {0x01, 0x02, 0xD0, 0x07};
  char text[driver::kBtrDateTextSize];
  driver::mvbtrBtrDateText(date, text);
  EXPECT_STREQ(text, "20000201");
  const uint8_t time[4] = {0x32, 0x02, 0x2D, 0x0D};
  char timeText[driver::kBtrTimeTextSize];
  driver::mvbtrBtrTimeText(time, timeText);
  EXPECT_STREQ(timeText, "13:45'02\"50");
}

TEST_F(DateTimeTest, RandomValuesRoundTrip) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int32_t> dates(1, driver::mvbtrJulianMax());
  std::uniform_int_distribution<int32_t> times(0, driver::kTimeNumberLimit - 1);
  for (int i = 0; i < 500; ++i) {
    std::string date = std::to_string(dates(rng));
    std::string time = std::to_string(times(rng));
    ASSERT_EQ(PutNumber(*t_, kDate, date), 0);
    ASSERT_EQ(GetNumber(*t_, kDate), date);
    ASSERT_EQ(PutNumber(*t_, kTime, time), 0);
    ASSERT_EQ(GetNumber(*t_, kTime), time);
  }
}

}  // namespace
}  // namespace vv::testing

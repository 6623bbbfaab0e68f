#include "support/field_table.h"

#include <cstdio>
#include <cstring>

#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"

namespace vv::testing {

FieldTable::FieldTable(host::Host& host, const std::vector<FieldDef>& fields,
                       const TableOptions& options) {
  using namespace vv::driver;
  mvbtrMemAlloc(&file_, sizeof(OpenFile));
  EXPECT_NE(file_, nullptr);
  mvbtrFileRecordInit(file_, true);
  mvbtrStrNewCpy(&file_->lpszDdfName, options.name.c_str());
  file_->bTrueNull = options.trueNull ? 1 : 0;
  file_->nCharSet = options.charSet;
  file_->nFields = static_cast<int32_t>(fields.size());
  mvbtrMemAlloc(&file_->lpFields, (fields.size() + 1) * sizeof(FieldDesc));
  int32_t offset = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& def = fields[i];
    FieldDesc& f = file_->lpFields[i + 1];
    f.nNumber = static_cast<int32_t>(i + 1);
    f.nHostType = def.hostType;
    f.nBtrType = def.btrType;
    f.nSize = def.size;
    f.nHostLength = def.hostLength;
    f.nPrecision = def.precision;
    f.bNullAllowed = def.nullable ? 1 : 0;
    std::string name = def.name.empty() ? "F" + std::to_string(i + 1) : def.name;
    mvbtrStrNewCpy(&f.lpszName, name.c_str());
    if (def.offset >= 0) offset = def.offset;
    if (def.offset < 0 && options.trueNull && def.nullable) ++offset;  // the null byte
    f.nOffset = offset;
    offset += def.size;
  }
  mvbtrFileHostRecLenSet(file_);
  EXPECT_EQ(mvbtrFieldLongvarsBuild(file_), 0);
  EXPECT_EQ(mvbtrFileCreateRecordbuffer(file_), 0);
  mvbtrFileClear(file_);
  handle_ = host.FreeHandle();
  file_->hFile = handle_;
  mvbtrFileHandleSet(handle_, file_);
}

FieldTable::~FieldTable() {
  driver::mvbtrFileHandleFree(handle_);
  driver::mvbtrFileRecordFree(&file_);
}

std::vector<uint8_t> FieldTable::Bytes(int32_t n) const {
  const driver::FieldDesc& f = field(n);
  return std::vector<uint8_t>(f.lpData, f.lpData + f.nSize);
}

void FieldTable::SetBytes(int32_t n, const std::vector<uint8_t>& bytes) {
  driver::FieldDesc& f = field(n);
  ASSERT_LE(bytes.size(), static_cast<std::size_t>(f.nSize));
  std::memcpy(f.lpData, bytes.data(), bytes.size());
}

void FieldTable::ClearMarks() {
  file_->bChanged = file_->bChanged2 = 0;
  for (int32_t i = 0; i <= file_->nFields; ++i) {
    file_->lpFields[i].bFieldChanged = file_->lpFields[i].bFieldTouched = 0;
  }
}

std::string FieldTable::Marks() const {
  std::string marks = std::to_string(file_->bChanged) + std::to_string(file_->bChanged2) + ":";
  for (int32_t i = 1; i <= file_->nFields; ++i) {
    marks += std::to_string(file_->lpFields[i].bFieldChanged) +
             std::to_string(file_->lpFields[i].bFieldTouched) + " ";
  }
  return marks;
}

void FieldFixture::SetUp() {
  DriverFixture::SetUp();
  ASSERT_EQ(Initialise(), 1);  // function 21 answers the transaction type
  ASSERT_EQ(host_.error(), 0);
}

void FieldFixture::TearDown() {
  tables_.clear();
  DriverFixture::TearDown();
}

FieldTable& FieldFixture::Table(const std::vector<FieldDef>& fields, const TableOptions& options) {
  tables_.push_back(std::make_unique<FieldTable>(host_, fields, options));
  return *tables_.back();
}

int16_t FieldFixture::TakeError() {
  int16_t error = host_.error();
  host_.ClearError();
  return error;
}

std::string FieldFixture::TakeErrorText() {
  std::string text = host_.error_text();
  host_.ClearError();
  return text;
}

int16_t FieldFixture::PutNumber(const FieldTable& table, int32_t field, std::string_view value) {
  VvBcd bcd = Bcd(value);
  return btrFieldPutBCD(table.handle(), field, &bcd);
}

std::string FieldFixture::GetNumber(const FieldTable& table, int32_t field) {
  VvBcd bcd;
  std::memset(&bcd, 0xEE, sizeof bcd);
  btrFieldGetBCD(table.handle(), field, &bcd);
  return BcdText(bcd);
}

std::string RandomDecimal(std::mt19937& rng, int integerDigits, int decimals, bool allowNegative) {
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(0, integerDigits);
  std::string integer;
  for (int i = length(rng); i > 0; --i) integer.push_back(static_cast<char>('0' + digit(rng)));
  integer.erase(0, integer.find_first_not_of('0'));
  if (integer.empty()) integer = "0";
  std::string fraction;
  for (int i = 0; i < decimals; ++i) fraction.push_back(static_cast<char>('0' + digit(rng)));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  std::string text = integer + (fraction.empty() ? "" : "." + fraction);
  if (allowNegative && text != "0" && digit(rng) % 2 == 1) text = "-" + text;
  return text;
}

VvBcd Bcd(std::string_view text) {
  VvBcd value{};
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  std::size_t point = text.find('.');
  std::string_view integer = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  auto set = [&](int index, char c) {
    uint8_t& b = value.b[index / 2];
    int digit = c - '0';
    b = index % 2 == 0 ? static_cast<uint8_t>((b & 0x0F) | (digit << 4))
                       : static_cast<uint8_t>((b & 0xF0) | digit);
  };
  for (std::size_t i = 0; i < integer.size(); ++i) {
    set(static_cast<int>(VV_BCD_INTEGER_DIGITS - integer.size() + i), integer[i]);
  }
  for (std::size_t i = 0; i < fraction.size(); ++i) {
    set(static_cast<int>(VV_BCD_INTEGER_DIGITS + i), fraction[i]);
  }
  if (negative) value.b[VV_BCD_SIGN_BYTE] = VV_BCD_SIGN_NEGATIVE;
  return value;
}

std::string BcdText(const VvBcd& value) {
  std::string digits;
  for (int i = 0; i < VV_BCD_INTEGER_DIGITS + VV_BCD_FRACTION_DIGITS; ++i) {
    uint8_t b = value.b[i / 2];
    digits.push_back(static_cast<char>('0' + (i % 2 == 0 ? b >> 4 : b & 0x0F)));
  }
  std::string integer = digits.substr(0, VV_BCD_INTEGER_DIGITS);
  std::string fraction = digits.substr(VV_BCD_INTEGER_DIGITS);
  integer.erase(0, integer.find_first_not_of('0'));
  if (integer.empty()) integer = "0";
  fraction.erase(fraction.find_last_not_of('0') + 1);
  std::string text = integer + (fraction.empty() ? "" : "." + fraction);
  if (value.b[VV_BCD_SIGN_BYTE] == VV_BCD_SIGN_NEGATIVE)
    text = "-" + text;
  else if (value.b[VV_BCD_SIGN_BYTE] != 0)
    text = "?" + text;  // not a sign byte
  return text;
}

std::vector<uint8_t> Hex(std::string_view text) {
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    ++i;
  }
  return bytes;
}

std::string HexOf(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (uint8_t b : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X", b);
    if (!text.empty()) text.push_back(' ');
    text += pair;
  }
  return text;
}

}  // namespace vv::testing

// Tables built by hand for field tests: an open file record with fields of
// given types, sizes and offsets and a record buffer, attached to a host
// handle so that tests go through the exported entry points (btrFieldGetString
// and the rest) as a host does. Also helpers for BCD values and byte patterns
// that do not use the driver's own conversions.
#ifndef VEVERAVE_TESTS_DRIVER_SUPPORT_FIELD_TABLE_H_
#define VEVERAVE_TESTS_DRIVER_SUPPORT_FIELD_TABLE_H_

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "driver/tables/open_file.h"
#include "support/driver_fixture.h"
#include "veverave/host_services.h"

namespace vv::testing {

struct FieldDef {
  int32_t hostType;
  int32_t btrType;
  int32_t size;        // Btrieve length
  int32_t hostLength;  // characters or digits
  int32_t precision = 0;
  bool nullable = false;
  std::string name = {};  // "F<number>" when empty
  int32_t offset = -1;    // -1: after the previous field (and its null byte)
};

struct TableOptions {
  bool trueNull = false;
  uint8_t charSet = driver::kCharSetOem;
  std::string name = "TABLE";
};

class FieldTable {
 public:
  // Builds the record (the driver must be initialised), clears its buffer the
  // driver's way and attaches it to a free host handle.
  FieldTable(host::Host& host, const std::vector<FieldDef>& fields, const TableOptions& options);
  ~FieldTable();
  FieldTable(const FieldTable&) = delete;
  FieldTable& operator=(const FieldTable&) = delete;

  int32_t handle() const { return handle_; }
  driver::OpenFile* file() const { return file_; }
  driver::FieldDesc& field(int32_t n) const { return file_->lpFields[n]; }

  // The field's bytes in the record buffer.
  std::vector<uint8_t> Bytes(int32_t n) const;
  void SetBytes(int32_t n, const std::vector<uint8_t>& bytes);
  // Clears every changed mark of the fields and the record.
  void ClearMarks();
  // Every changed mark of the record and its fields, for comparing before
  // and after a call.
  std::string Marks() const;

 private:
  driver::OpenFile* file_ = nullptr;
  int32_t handle_ = 0;
};

// A test fixture that initialises the driver and owns tables, freeing them
// before the driver is released.
class FieldFixture : public DriverFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  FieldTable& Table(const std::vector<FieldDef>& fields, const TableOptions& options = {});
  // The pending host error, cleared afterwards; with its text.
  int16_t TakeError();
  std::string TakeErrorText();
  // btrFieldPutBCD / btrFieldGetBCD with values as text ("-12.34").
  int16_t PutNumber(const FieldTable& table, int32_t field, std::string_view value);
  std::string GetNumber(const FieldTable& table, int32_t field);

 private:
  std::vector<std::unique_ptr<FieldTable>> tables_;
};

// BCD values from and to text such as "-12.34" (made digit by digit, not
// through the driver or the host).
VvBcd Bcd(std::string_view text);
std::string BcdText(const VvBcd& value);
// A random decimal of at most integerDigits integer and decimals fraction
// digits, negative about every other time when allowNegative ("-123.45").
std::string RandomDecimal(std::mt19937& rng, int integerDigits, int decimals, bool allowNegative);

// Byte patterns written as hex pairs: "00 01 23 4F".
std::vector<uint8_t> Hex(std::string_view text);
std::string HexOf(const std::vector<uint8_t>& bytes);

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_SUPPORT_FIELD_TABLE_H_

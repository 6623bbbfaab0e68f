#include "ddf/row_codec.h"

#include <cstdint>

namespace vv::ddf {
namespace {

using driver::DdfColumn;

void PutInt(std::string* row, const DdfColumn& column, uint32_t value) {
  for (int32_t i = 0; i < column.nSize; ++i) {
    (*row)[static_cast<std::size_t>(column.nOffset + i)] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

void PutText(std::string* row, const DdfColumn& column, const std::string& text) {
  const auto size = static_cast<std::size_t>(column.nSize);
  std::string value = text.substr(0, size);
  value.resize(size, ' ');
  row->replace(static_cast<std::size_t>(column.nOffset), size, value);
}

uint32_t GetInt(const std::string& row, const DdfColumn& column) {
  uint32_t value = 0;
  for (int32_t i = column.nSize - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<uint8_t>(row[static_cast<std::size_t>(column.nOffset + i)]);
  }
  return value;
}

std::string GetText(const std::string& row, const DdfColumn& column) {
  std::string text =
      row.substr(static_cast<std::size_t>(column.nOffset), static_cast<std::size_t>(column.nSize));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string Blank(int32_t size) {
  return std::string(static_cast<std::size_t>(size), '\0');
}

std::string Padded(const std::string& bytes, int32_t size) {
  std::string row = bytes;
  if (row.size() < static_cast<std::size_t>(size)) row.resize(static_cast<std::size_t>(size), '\0');
  return row;
}

}  // namespace

std::string EncodeFileRow(const FileRow& r) {
  const DdfColumn* c = driver::kDdfFileColumns;
  std::string row = Blank(driver::kDdfFileRowSize);
  PutInt(&row, c[driver::kXfId], r.id);
  PutText(&row, c[driver::kXfName], r.name);
  PutText(&row, c[driver::kXfLoc], r.location);
  PutInt(&row, c[driver::kXfFlags], r.flags);
  PutText(&row, c[driver::kXfReserved], "");
  return row;
}

std::string EncodeFieldRow(const FieldRow& r) {
  const DdfColumn* c = driver::kDdfFieldColumns;
  std::string row = Blank(driver::kDdfFieldRowSize);
  PutInt(&row, c[driver::kXeId], r.id);
  PutInt(&row, c[driver::kXeFile], r.file);
  PutText(&row, c[driver::kXeName], r.name);
  PutInt(&row, c[driver::kXeDataType], r.type);
  PutInt(&row, c[driver::kXeOffset], r.offset);
  PutInt(&row, c[driver::kXeSize], r.size);
  PutInt(&row, c[driver::kXeDec], r.decimals);
  PutInt(&row, c[driver::kXeFlags], r.flags);
  return row;
}

std::string EncodeIndexRow(const IndexRow& r) {
  const DdfColumn* c = driver::kDdfIndexColumns;
  std::string row = Blank(driver::kDdfIndexRowSize);
  PutInt(&row, c[driver::kXiFile], r.file);
  PutInt(&row, c[driver::kXiField], r.field);
  PutInt(&row, c[driver::kXiNumber], r.number);
  PutInt(&row, c[driver::kXiPart], r.part);
  PutInt(&row, c[driver::kXiFlags], r.flags);
  return row;
}

FileRow DecodeFileRow(const std::string& bytes) {
  const DdfColumn* c = driver::kDdfFileColumns;
  const std::string row = Padded(bytes, driver::kDdfFileRowSize);
  return {static_cast<uint16_t>(GetInt(row, c[driver::kXfId])), GetText(row, c[driver::kXfName]),
          GetText(row, c[driver::kXfLoc]), static_cast<uint8_t>(GetInt(row, c[driver::kXfFlags]))};
}

FieldRow DecodeFieldRow(const std::string& bytes) {
  const DdfColumn* c = driver::kDdfFieldColumns;
  const std::string row = Padded(bytes, driver::kDdfFieldRowSize);
  return {static_cast<uint16_t>(GetInt(row, c[driver::kXeId])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXeFile])),
          GetText(row, c[driver::kXeName]),
          static_cast<uint8_t>(GetInt(row, c[driver::kXeDataType])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXeOffset])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXeSize])),
          static_cast<uint8_t>(GetInt(row, c[driver::kXeDec])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXeFlags]))};
}

IndexRow DecodeIndexRow(const std::string& bytes) {
  const DdfColumn* c = driver::kDdfIndexColumns;
  const std::string row = Padded(bytes, driver::kDdfIndexRowSize);
  return {static_cast<uint16_t>(GetInt(row, c[driver::kXiFile])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXiField])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXiNumber])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXiPart])),
          static_cast<uint16_t>(GetInt(row, c[driver::kXiFlags]))};
}

}  // namespace vv::ddf

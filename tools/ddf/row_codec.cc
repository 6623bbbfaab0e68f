#include "ddf/row_codec.h"

#include <cstdint>

namespace vv::ddf {
namespace {


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
  const DdfColumn* c = kDdfFileColumns;
  std::string row = Blank(kDdfFileRowSize);
  PutInt(&row, c[kXfId], r.id);
  PutText(&row, c[kXfName], r.name);
  PutText(&row, c[kXfLoc], r.location);
  PutInt(&row, c[kXfFlags], r.flags);
  PutText(&row, c[kXfReserved], "");
  return row;
}

std::string EncodeFieldRow(const FieldRow& r) {
  const DdfColumn* c = kDdfFieldColumns;
  std::string row = Blank(kDdfFieldRowSize);
  PutInt(&row, c[kXeId], r.id);
  PutInt(&row, c[kXeFile], r.file);
  PutText(&row, c[kXeName], r.name);
  PutInt(&row, c[kXeDataType], r.type);
  PutInt(&row, c[kXeOffset], r.offset);
  PutInt(&row, c[kXeSize], r.size);
  PutInt(&row, c[kXeDec], r.decimals);
  PutInt(&row, c[kXeFlags], r.flags);
  return row;
}

std::string EncodeIndexRow(const IndexRow& r) {
  const DdfColumn* c = kDdfIndexColumns;
  std::string row = Blank(kDdfIndexRowSize);
  PutInt(&row, c[kXiFile], r.file);
  PutInt(&row, c[kXiField], r.field);
  PutInt(&row, c[kXiNumber], r.number);
  PutInt(&row, c[kXiPart], r.part);
  PutInt(&row, c[kXiFlags], r.flags);
  return row;
}

FileRow DecodeFileRow(const std::string& bytes) {
  const DdfColumn* c = kDdfFileColumns;
  const std::string row = Padded(bytes, kDdfFileRowSize);
  return {static_cast<uint16_t>(GetInt(row, c[kXfId])), GetText(row, c[kXfName]),
          GetText(row, c[kXfLoc]), static_cast<uint8_t>(GetInt(row, c[kXfFlags]))};
}

FieldRow DecodeFieldRow(const std::string& bytes) {
  const DdfColumn* c = kDdfFieldColumns;
  const std::string row = Padded(bytes, kDdfFieldRowSize);
  return {static_cast<uint16_t>(GetInt(row, c[kXeId])),
          static_cast<uint16_t>(GetInt(row, c[kXeFile])),
          GetText(row, c[kXeName]),
          static_cast<uint8_t>(GetInt(row, c[kXeDataType])),
          static_cast<uint16_t>(GetInt(row, c[kXeOffset])),
          static_cast<uint16_t>(GetInt(row, c[kXeSize])),
          static_cast<uint8_t>(GetInt(row, c[kXeDec])),
          static_cast<uint16_t>(GetInt(row, c[kXeFlags]))};
}

IndexRow DecodeIndexRow(const std::string& bytes) {
  const DdfColumn* c = kDdfIndexColumns;
  const std::string row = Padded(bytes, kDdfIndexRowSize);
  return {static_cast<uint16_t>(GetInt(row, c[kXiFile])),
          static_cast<uint16_t>(GetInt(row, c[kXiField])),
          static_cast<uint16_t>(GetInt(row, c[kXiNumber])),
          static_cast<uint16_t>(GetInt(row, c[kXiPart])),
          static_cast<uint16_t>(GetInt(row, c[kXiFlags]))};
}

}  // namespace vv::ddf

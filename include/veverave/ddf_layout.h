// veverave: the data dictionary's layout: the rows of FILE.DDF (one per
// table), FIELD.DDF (one per column) and INDEX.DDF (one per key segment),
// their columns and their keys. The driver reads and writes the dictionary
// through built-in structures made from these tables; the dictionary builder
// of the tools creates the files and writes rows with the same tables, so the
// layout exists once. Plain constants only, for C++ programs: nothing here
// needs the driver.
//
// Names are space-padded on the right without a terminating NUL; integers
// are little-endian.
#ifndef VEVERAVE_DDF_LAYOUT_H_
#define VEVERAVE_DDF_LAYOUT_H_

#include <cstdint>

#include "veverave/btrieve.h"

namespace vv {

// The three files, in the order a login opens them.
inline constexpr const char* kDdfFileName = "FILE.DDF";
inline constexpr const char* kDdfIndexName = "INDEX.DDF";
inline constexpr const char* kDdfFieldName = "FIELD.DDF";

// One column of a dictionary row. nBtrType is the column's type in the
// built-in structure (INTEGER columns are numbers, STRING columns text);
// nKeyType is the extended type its key segments are created with: ids and
// numbers are unsigned, so that ids up to 65535 keep their order.
struct DdfColumn {
  const char* lpszName;
  int32_t nOffset;
  int32_t nSize;
  int32_t nBtrType;
  int32_t nHostLength;
  uint8_t nKeyType;
};

// A built-in key: its segments (column positions) and the Btrieve key flags
// every segment carries besides SEGMENTED and EXTENDED_TYPE.
inline constexpr int kDdfKeySegmentsMax = 2;
struct DdfKey {
  int32_t nSegments;
  int32_t aColumns[kDdfKeySegmentsMax];
  uint16_t nKeyFlags;
};

inline constexpr uint8_t kDdfIntKey = BTR_TYPE_UNSIGNED;
inline constexpr uint8_t kDdfTextKey = BTR_TYPE_STRING;

// FILE.DDF: 97-byte rows; key 0 on Xf$Id, key 1 on Xf$Name.
enum DdfFileColumn : int32_t { kXfId, kXfName, kXfLoc, kXfFlags, kXfReserved, kXfColumns };
inline constexpr int32_t kDdfFileRowSize = 97;
inline constexpr DdfColumn kDdfFileColumns[kXfColumns] = {
    {"Xf$Id", 0, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xf$Name", 2, 20, BTR_TYPE_STRING, 20, kDdfTextKey},
    {"Xf$Loc", 22, 64, BTR_TYPE_STRING, 64, kDdfTextKey},
    {"Xf$Flags", 86, 1, BTR_TYPE_INTEGER, 3, kDdfIntKey},
    {"Xf$Reserved", 87, 10, BTR_TYPE_STRING, 10, kDdfTextKey},
};
inline constexpr int32_t kDdfFileKeyCount = 2;
inline constexpr DdfKey kDdfFileKeys[kDdfFileKeyCount] = {
    {1, {kXfId}, BTR_KEY_MODIFIABLE},
    {1, {kXfName}, BTR_KEY_MODIFIABLE | BTR_KEY_NO_CASE},
};

// FIELD.DDF: 32-byte rows; keys on Xe$Id, Xe$File, Xe$Name and Xe$File +
// Xe$Name.
enum DdfFieldColumn : int32_t {
  kXeId,
  kXeFile,
  kXeName,
  kXeDataType,
  kXeOffset,
  kXeSize,
  kXeDec,
  kXeFlags,
  kXeColumns
};
inline constexpr int32_t kDdfFieldRowSize = 32;
inline constexpr DdfColumn kDdfFieldColumns[kXeColumns] = {
    {"Xe$Id", 0, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xe$File", 2, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xe$Name", 4, 20, BTR_TYPE_STRING, 20, kDdfTextKey},
    {"Xe$DataType", 24, 1, BTR_TYPE_INTEGER, 3, kDdfIntKey},
    {"Xe$Offset", 25, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xe$Size", 27, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xe$Dec", 29, 1, BTR_TYPE_INTEGER, 3, kDdfIntKey},
    {"Xe$Flags", 30, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
};
inline constexpr int32_t kDdfFieldKeyCount = 4;
inline constexpr DdfKey kDdfFieldKeys[kDdfFieldKeyCount] = {
    {1, {kXeId}, BTR_KEY_MODIFIABLE},
    {1, {kXeFile}, BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE},
    {1, {kXeName}, BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE | BTR_KEY_NO_CASE},
    {2, {kXeFile, kXeName}, BTR_KEY_MODIFIABLE | BTR_KEY_NO_CASE},
};

// INDEX.DDF: 10-byte rows; keys on Xi$File and Xi$Field.
enum DdfIndexColumn : int32_t { kXiFile, kXiField, kXiNumber, kXiPart, kXiFlags, kXiColumns };
inline constexpr int32_t kDdfIndexRowSize = 10;
inline constexpr DdfColumn kDdfIndexColumns[kXiColumns] = {
    {"Xi$File", 0, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xi$Field", 2, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xi$Number", 4, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xi$Part", 6, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
    {"Xi$Flags", 8, 2, BTR_TYPE_INTEGER, 5, kDdfIntKey},
};
inline constexpr int32_t kDdfIndexKeyCount = 2;
inline constexpr DdfKey kDdfIndexKeys[kDdfIndexKeyCount] = {
    {1, {kXiFile}, BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE},
    {1, {kXiField}, BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE},
};

// A column's field number in the built-in structure (fields run from 1).
inline constexpr int32_t DdfFieldNumber(int32_t column) {
  return column + 1;
}

// Limits of the rows.
inline constexpr int32_t kDdfNameMax = 20;   // Xf$Name, Xe$Name
inline constexpr int32_t kDdfLocMax = 64;    // Xf$Loc
inline constexpr int32_t kDdfIdMax = 65535;  // Xf$Id, Xe$Id
// Xe$DataType codes from here on are dictionary entries other than columns
// (named indexes, constraints): they are not fields of the table.
inline constexpr int32_t kDdfFirstNonFieldType = 22;

// Xf$Flags: the table keeps a null indicator byte in front of each nullable
// column.
inline constexpr uint8_t kDdfTableTrueNull = 0x40;
// Xe$Flags: the column may be null.
inline constexpr uint16_t kDdfFieldNullable = 0x0004;
// Xe$Flags: a long-variable column that holds binary data (host type BINARY
// rather than TEXT).
inline constexpr uint16_t kDdfFieldBinary = 0x1000;

// Xi$Flags from the Btrieve key flags of a segment. The dictionary numbers
// some flags differently (collating sequence 0x04, case-insensitive 0x20);
// flags it has no bit for are dropped.
struct DdfFlagMap {
  uint16_t nKeyFlag;
  uint16_t nDdfFlag;
};
inline constexpr DdfFlagMap kDdfSegmentFlagMap[] = {
    {BTR_KEY_DUPLICATES, 0x0001},    {BTR_KEY_MODIFIABLE, 0x0002}, {BTR_KEY_NULL_ALL, 0x0008},
    {BTR_KEY_SEGMENTED, 0x0010},     {BTR_KEY_ACS, 0x0004},        {BTR_KEY_DESCENDING, 0x0040},
    {BTR_KEY_EXTENDED_TYPE, 0x0100}, {BTR_KEY_NULL_ANY, 0x0200},   {BTR_KEY_NO_CASE, 0x0020},
};
inline constexpr uint16_t DdfSegmentFlags(uint16_t keyFlags) {
  uint16_t flags = 0;
  for (const DdfFlagMap& m : kDdfSegmentFlagMap) {
    if ((keyFlags & m.nKeyFlag) != 0) flags = static_cast<uint16_t>(flags | m.nDdfFlag);
  }
  return flags;
}

}  // namespace vv

#endif  // VEVERAVE_DDF_LAYOUT_H_

// btrFieldFill and btrFieldMap.
#ifndef VEVERAVE_DRIVER_FIELDS_FIELD_FILL_MAP_H_
#define VEVERAVE_DRIVER_FIELDS_FIELD_FILL_MAP_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Sets the field to the lowest (direction 1) or highest (any other direction)
// value of its Btrieve type in key order, then marks the field and the record
// changed (also when the type left the field as it was):
//   STRING, LOGICAL          nSize bytes of nFillLow / nFillHigh put as text
//   LSTRING, ZSTRING, NOTE   low: empty; high: as STRING
//   INTEGER, AUTOINCREMENT   smallest / largest signed number (8 bytes unchanged)
//   UNSIGNED                 all 0x00 / all 0xFF
//   DATE, TIME               zero / 31.12.3000, 23:59:59.99
//   DECIMAL, MONEY           nines with sign 0xD / 0xF
//   NUMERIC, _STS, _SA       nines with 'R', '-', 'y' / 'I', '+', '9'
//   IEEE                     most negative finite number / all 0xFF
//   BFLOAT                   all 0xFF (the most negative MBF number) / all 0xFF
// A high fill first replaces an nFillHigh of 0 by 0xFF. Out of memory for the
// work buffer is error 10 ("mvbtrFieldFill") and nothing changes. Returns the
// host's pending error status.
int16_t mvbtrFieldFill(OpenFile* file, FieldDesc* field, int32_t direction);

// The number of the first field (from 1 up) whose name the host finds equal
// to name, compared by the host for the handle hFile; 0 when none.
int32_t mvbtrFieldMap(const OpenFile* file, int32_t hFile, const char* name);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_FIELD_FILL_MAP_H_

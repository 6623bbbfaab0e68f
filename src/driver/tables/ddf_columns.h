// Column access on the dictionary records' buffers, for the dictionary
// routines. Values are written straight into the column's bytes and the
// column is marked changed, as a field put does, so the next find builds
// its key from them.
#ifndef VEVERAVE_DRIVER_TABLES_DDF_COLUMNS_H_
#define VEVERAVE_DRIVER_TABLES_DDF_COLUMNS_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/ddf_layout.h"

namespace vv::driver {

// The column's bytes in the record buffer of a dictionary record.
uint8_t* DdfColumnData(OpenFile* ddf, int32_t column);
// An integer column as an unsigned number; as a signed one.
uint32_t DdfColumnGet(OpenFile* ddf, int32_t column);
int32_t DdfColumnGetSigned(OpenFile* ddf, int32_t column);
// Writes an integer column (its low bytes) and marks it changed.
void DdfColumnPut(OpenFile* ddf, int32_t column, uint32_t value);
// Writes text into a STRING column, cut to the column and padded with
// blanks (null text: blanks), and marks it changed.
void DdfColumnPutText(OpenFile* ddf, int32_t column, const char* text);

// The built-in indexes the dictionary routines find on (index k + 1 is
// Btrieve key k).
inline constexpr int32_t kDdfFileById = 1;
inline constexpr int32_t kDdfFileByName = 2;
inline constexpr int32_t kDdfFieldById = 1;
inline constexpr int32_t kDdfFieldByFile = 2;
inline constexpr int32_t kDdfIndexByFile = 1;

// Finds with the record find on a built-in index; the find's status.
int16_t DdfFind(OpenFile* ddf, int32_t index, int32_t mode);
// Clears a pending "end of file" (host error 42) left by a find that ran
// past the last row; the pending error that remains.
int16_t DdfEndOfRowsClear();

// Replaces *target by a copy of text; out of memory is error 10 with
// context. Returns the pending error.
int16_t DdfStrNewCpy(char** target, const char* text, const char* context);
// Frees a record's field descriptors (with what each owns) and lpLongvars;
// nFields becomes 0.
void DdfFieldDescsFree(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_DDF_COLUMNS_H_

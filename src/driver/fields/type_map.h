// Field types: the host's types, the Btrieve types and the driver's own
// auxiliary types, their names, and the two mappings between them.
//
// Host to Btrieve (mvbtrFieldMvTypeToBtrType) when the driver itself chooses
// how a field is stored (creating and restructuring tables); Btrieve to host
// (mvbtrFieldBtrTypeToMvType) when a table's structure is read from the
// dictionary. Both also set the field's Btrieve length (nSize), host length
// (characters, or digits for numbers) and decimals.
#ifndef VEVERAVE_DRIVER_FIELDS_TYPE_MAP_H_
#define VEVERAVE_DRIVER_FIELDS_TYPE_MAP_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/ddf_layout.h"
#include "veverave/host_services.h"

namespace vv::driver {

// Xe$Flags bit of a long-variable field that holds binary data.
using ::vv::kDdfFieldBinary;

// Host type names by code (HostType), the words of INT files and reports;
// kHostTypeCount names, then an empty entry.
inline constexpr int kHostTypeCount = VV_HOST_TYPE_COUNT;
static_assert(VV_HOST_TYPE_BINARY + 1 == kHostTypeCount);
extern const char* const kHostTypeNames[kHostTypeCount + 1];

// Btrieve type names by code for codes 0 to 18 (codes 13 and 16 are both
// "UNKNOWN"), then a null entry: the word list of FIELD_TYPE_BTR, where a
// word's position is its code.
inline constexpr int kBtrTypeNameCount = 19;
extern const char* const kBtrTypeNames[kBtrTypeNameCount + 1];

// Names of the auxiliary types in order (position = code - kAuxBase), null
// terminated: the word list of FIELD_TYPE_AUX.
const char* const* mvbtrAuxTypeNames();

// The name of a Btrieve type code 0..18 or auxiliary type; null for others.
const char* mvbtrBtrTypeName(int32_t type);
// The code of an upper-case Btrieve type name (the first code when two
// codes share it), or an auxiliary type name (kAuxBase + position); -1 when
// none.
int32_t mvbtrBtrTypeNameFind(const char* upperName);
int32_t mvbtrAuxTypeNameFind(const char* upperName);

// Host length in digits of an integer field of byteLength bytes (1: 3, 2: 5,
// 4: 10, 8: 14); 0 for any other length.
int32_t mvbtrIntegerDigits(int32_t byteLength);

// Host type and host length to Btrieve type, Btrieve length and, where the
// type fixes them, host length, decimals and the binary flag (TEXT and
// BINARY follow TEXT_TYPE). A host type without a storage (RESERVE1, unknown
// codes) is error 20488 "mvbtrFieldMvTypeToBtrType": the descriptor is left
// as it was and the pending error returned. Otherwise 0.
int16_t mvbtrFieldMvTypeToBtrType(FieldDesc* field);

// Btrieve type to host type for a field read from the dictionary. On entry
// the descriptor holds the row's Btrieve type (nBtrType), length (nSize),
// decimals (nPrecision), flags (nFieldDdfFlags) and name; this sets its host
// type and host length, and the decimals, Btrieve type or length where the
// type fixes them. A NOTE field sets *hasNote (when hasNote is not null); a
// long-variable field counts in file->nLongvars. An integer of a length
// without digits is error 20482 with the field's name as text; the field is
// still complete, with host length 14, and the pending error is returned.
// Otherwise 0.
int16_t mvbtrFieldBtrTypeToMvType(OpenFile* file, FieldDesc* field, bool* hasNote);

// The Btrieve type a field is written with to FIELD.DDF: the auxiliary types
// LSTRING2 and MVBCD are stored as STRING, every other code unchanged.
int32_t mvbtrFieldDdfType(int32_t btrType);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_TYPE_MAP_H_

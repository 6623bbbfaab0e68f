// The host lengths a field may be given through attribute 203, by its host
// type and the Btrieve type that stores it:
//
//   ASCII, TEXT  STRING below 256, LSTRING below 257, ZSTRING below 16383,
//                NOTE below 32767, long variable data below 16385 ("Length
//                too large"; binary long data ignores the call), TIMESTAMP
//                20560, any other type 20506
//   BCD          INTEGER, UNSIGNED, AUTOINCREMENT below 11; the packed and
//                numeric-string types at most 23; any other type 20506
//   DATE         20536
//   OVERLAP      at most the larger of the Btrieve and host record length
//   RESERVE1     ignored
//   BINARY       long variable data: below 16385 for binary long data, else
//                ignored; any other type at most the largest record buffer
//                (64000 bytes), so that the field always fits the buffer
//
// A length beyond its bound is error 4097.
#ifndef VEVERAVE_DRIVER_ATTRIBUTES_FIELD_LENGTH_H_
#define VEVERAVE_DRIVER_ATTRIBUTES_FIELD_LENGTH_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

struct LengthCheck {
  int16_t nError = 0;              // 0: the length is taken
  bool bIgnored = false;           // the call does nothing
  const char* lpszText = nullptr;  // the error's text, null for none
};

LengthCheck mvbtrFieldLengthCheck(const OpenFile* file, const FieldDesc& field, int32_t value);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_ATTRIBUTES_FIELD_LENGTH_H_

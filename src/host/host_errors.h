// The error numbers the reference host reports on its own error channel. This
// is the one table of them; the numbers that the host services contract fixes
// come from host_services.h. Every report carries a text that names what
// failed (a table, a field, a path, the slot); the texts below are the
// general meanings used in docs/host.md.
#ifndef VEVERAVE_HOST_HOST_ERRORS_H_
#define VEVERAVE_HOST_HOST_ERRORS_H_

#include <cstdint>

#include "veverave/host_services.h"

namespace vv::host {

enum HostError : int16_t {
  kErrOutOfMemory = 10,
  kErrOverflow = 11,  // a number does not fit the BCD value or the field
  kErrDivideByZero = 12,
  kErrInvalidBcd = 13,  // a BCD value with a nibble above 9 or a foreign sign byte
  kErrNotANumber = VV_HOST_ERR_NOT_A_NUMBER,
  kErrInvalidDate = 16,  // a date text or day number that is no date
  kErrNotFound = VV_HOST_ERR_NOT_FOUND,
  kErrBeginningOfFile = VV_HOST_ERR_BEGINNING_OF_FILE,
  kErrEndOfFile = VV_HOST_ERR_END_OF_FILE,
  kErrBadHandle = 72,   // no open table under the handle
  kErrCannotOpen = 75,  // a table that cannot be found or opened
  kErrBadFieldNumber = 77,
  kErrBadAttributeValue = 4097,
  kErrBadIndexNumber = 4099,  // index or segment number out of range
  kErrBufferTooSmall = 4101,  // the text was cut to the buffer
  kErrNotSupported = 4285,    // a slot or attribute this host does not offer
  // The host's own numbers.
  kErrTextFileOpen = 4401,     // a text file cannot be opened; the path
  kErrTextFileNotOpen = 4402,  // text read or write without an open file
  kErrTextFileWrite = 4403,    // a text file cannot be written; the path
  kErrUnknownLineCode = 4404,  // TextWrite without keyword for a code that has none
  kErrDuplicateKey = 4405,     // a save would give two records the same key
  kErrTableFormat = 4406,      // a native table file that is damaged or not one
  kErrTableExists = 4407,      // creating a native table over an existing file
  kErrTableIo = 4408,          // reading or writing a native table file failed
  kErrHandleInUse = 4409,      // attaching to a handle that a native table holds
  kErrBadArgument = 4410,      // null pointer, unknown mode, width out of range
  kErrNoDriver = 4411,         // a driver table while no driver is attached
  kErrNoRecord = 4412,         // delete without a found record
  kErrFileDelete = 4413,       // a file cannot be deleted; the path
  kErrBadDefinition = 4414,    // a native table definition that is not valid
  kErrFieldType = 4415,        // a value of a kind the field cannot hold
  kErrTextFormat = 4416,       // a text file (CSV) that breaks its format; where
  kErrValueNotKept = 4417,     // a value a field would keep otherwise than given
  kErrInternal = 4499,         // an unexpected failure inside the host
};

// Reports an error on the current host's channel (it replaces what was
// pending) and returns the number. text may be null.
int16_t HostErrorSet(int16_t code, const char* text);

}  // namespace vv::host

#endif  // VEVERAVE_HOST_HOST_ERRORS_H_

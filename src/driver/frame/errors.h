// Error numbers the driver reports to its host. This is the one table of
// them: host error numbers the driver uses, the Btrieve base, and the driver's
// own numbers from 20482 upward. Each subsystem adds the numbers it reports.
#ifndef VEVERAVE_DRIVER_FRAME_ERRORS_H_
#define VEVERAVE_DRIVER_FRAME_ERRORS_H_

#include <cstdint>

namespace vv::driver {

enum DriverError : int16_t {
  // Host error numbers.
  kErrOutOfMemory = 10,
  kErrBadFileHandle = 72,
  kErrServerNotLoggedIn = 4099,
  kErrBufferTooSmall = 4101,
  kErrLockTimeout = 4106,

  // A Btrieve failure is reported as this base plus the Btrieve status.
  kErrBtrieveBase = 21000,

  // The driver's own numbers.
  kErrUnknownDriverFunction = 20491,  // btrDriver: "Function: %d"
  kErrOwnerTooLong = 20515,
  kErrOwnerWhileRestructuring = 20516,
  kErrOwnerAccessMode = 20517,
  kErrAcsNotFound = 20523,
  kErrAcsUpperNotFound = 20524,
  kErrAcsCannotOpen = 20525,
  kErrAcsInvalid = 20526,
  kErrTransactionType = 20531,
  kErrTransactionTypeInTransaction = 20532,
  kErrSettingsKeyword = 20535,
  kErrRecnumMethod = 20548,
  kErrLastIndexMethod = 20553,
  kErrZerofileMethod = 20555,
  kErrCharacterSet = 20558,
  kErrTextType = 20573,

  // Reported when an entry point meets a C++ exception it did not expect; the
  // text names the entry point. Never part of normal operation.
  kErrInternal = 20599,
  // Reported by entry points whose subsystem this build does not contain yet;
  // the text names the entry point.
  kErrNotAvailable = 20598,
};

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_ERRORS_H_

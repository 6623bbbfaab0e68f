// Helpers shared by the POSIX files of the platform layer.
#ifndef VEVERAVE_PLATFORM_POSIX_POSIX_UTIL_H_
#define VEVERAVE_PLATFORM_POSIX_POSIX_UTIL_H_

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vv::platform::internal {

// NativePath, optionally leaving the last component as given (for the
// target of a rename that changes only the case of a name).
std::string ResolvePath(std::string_view path, bool resolveLast);

// errno value -> FsResult.
FsResult FsResultFromErrno(int error);

}  // namespace vv::platform::internal

#endif  // VEVERAVE_PLATFORM_POSIX_POSIX_UTIL_H_

// POSIX memory hints.
#include <sys/mman.h>

#include "platform/platform.h"

namespace vv::platform {

void AdviseHugePages(void* address, std::size_t size) {
#ifdef MADV_HUGEPAGE
  // Best effort: an OS without transparent huge pages refuses, which changes nothing.
  (void)madvise(address, size, MADV_HUGEPAGE);
#else
  (void)address;
  (void)size;
#endif
}

}  // namespace vv::platform

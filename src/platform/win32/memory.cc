// Windows memory hints.
#include "platform/platform.h"

namespace vv::platform {

// Large pages on Windows need the "lock pages in memory" privilege and
// memory of their own (VirtualAlloc with MEM_LARGE_PAGES): the hint is not
// taken.
void AdviseHugePages(void* /*address*/, std::size_t /*size*/) {}

}  // namespace vv::platform

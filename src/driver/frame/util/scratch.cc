#include "driver/frame/util/scratch.h"

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"

namespace vv::driver {
namespace {

constexpr const char* kScratchNames[kScratchBufferCount] = {
    "mvbtrTrashBuffer", "mvbtrValueBuffer", "mvbtrSortBuffer", "mvbtrRecordBuffer",
    "mvbtrKeyValBuffer"};

}  // namespace

void* mvbtrScratchBuffer(ScratchBufferId id, std::size_t size) {
  ScratchBuffer& buffer = mvbtrGlobals()->scratch[id];
  if (buffer.lpBuf != nullptr && static_cast<std::size_t>(buffer.nSize) >= size) {
    return buffer.lpBuf;
  }
  mvbtrMemFree(&buffer.lpBuf);
  buffer.nSize = 0;
  void* block = DriverAlloc(size);
  if (block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, kScratchNames[id]);
    return nullptr;
  }
  buffer.lpBuf = block;
  buffer.nSize = static_cast<int32_t>(size);
  return block;
}

void mvbtrScratchRelease(DriverGlobals* globals) {
  for (ScratchBuffer& buffer : globals->scratch) {
    mvbtrMemFree(&buffer.lpBuf);
    buffer.nSize = 0;
  }
}

}  // namespace vv::driver

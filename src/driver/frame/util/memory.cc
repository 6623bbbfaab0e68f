#include "driver/frame/util/memory.h"

#include <cstdlib>
#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"

namespace vv::driver {
namespace {

// The failure hook. Plain integers: the driver keeps no objects with
// destructors in static storage, and it is called from one thread at a time.
long g_allocFailAt = 0;  // fail when the counter reaches this; 0 = never
long g_allocCounter = 0;
long g_allocLive = 0;     // blocks allocated and not yet freed

}  // namespace

void* DriverAlloc(std::size_t size) {
  ++g_allocCounter;
  if (g_allocFailAt != 0 && g_allocCounter == g_allocFailAt) {
    g_allocFailAt = 0;
    return nullptr;
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) ++g_allocLive;
  return block;
}

void DriverFree(void* block) {
  if (block == nullptr) return;
  --g_allocLive;
  std::free(block);
}

long AllocFailureSet(long n) {
  long counted = g_allocCounter;
  g_allocCounter = 0;
  g_allocFailAt = n;
  return counted;
}

long AllocCount() { return g_allocCounter; }
long AllocLive() { return g_allocLive; }

void* mvbtrMemAlloc(void** block, std::size_t size) {
  *block = DriverAlloc(size);
  if (*block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, nullptr);
    return nullptr;
  }
  std::memset(*block, 0, size);
  return *block;
}

void mvbtrMemFree(void** block) {
  if (*block != nullptr) {
    DriverFree(*block);
    *block = nullptr;
  }
}

int16_t mvbtrStrNewCpy(char** target, const char* text) {
  mvbtrMemFree(target);
  if (text == nullptr) return 0;
  std::size_t n = std::strlen(text) + 1;
  void* copy = DriverAlloc(n);
  if (copy == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "mvbtrStrNewCpy");
    return kErrOutOfMemory;
  }
  std::memcpy(copy, text, n);
  *target = static_cast<char*>(copy);
  return 0;
}

}  // namespace vv::driver

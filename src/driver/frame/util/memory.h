// The driver's memory routines. Every allocation of the driver goes through
// DriverAlloc, so that one hook can make the n-th allocation fail; tests use
// it to sweep every allocation-failure path.
//
// mvbtrMemAlloc reports error 10 when memory runs out; mvbtrMemFree frees and
// nulls the pointer, so half-built records can always be freed; mvbtrStrNewCpy
// replaces an owned string by a copy of another.
#ifndef VEVERAVE_DRIVER_FRAME_UTIL_MEMORY_H_
#define VEVERAVE_DRIVER_FRAME_UTIL_MEMORY_H_

#include <cstddef>
#include <cstdint>
#include <new>

namespace vv::driver {

// Raw allocation through the hook; nullptr when the hook fails it or no
// memory is left. Nothing is reported.
void* DriverAlloc(std::size_t size);
void DriverFree(void* block);

// Test hook: make the n-th allocation from now fail (1 = the next one), once;
// 0 switches failures off. Returns the number of allocations counted since the
// last call, so a sweep can learn how many allocations an operation makes.
long AllocFailureSet(long n);
long AllocCount();
// Blocks allocated through the hook and not freed yet.
long AllocLive();

// Allocates size zero-filled bytes into *block and returns it; on failure
// *block is null and error 10 is reported with no text.
void* mvbtrMemAlloc(void** block, std::size_t size);
template <class T>
T* mvbtrMemAlloc(T** block, std::size_t size) {
  void* raw = nullptr;
  mvbtrMemAlloc(&raw, size);
  *block = static_cast<T*>(raw);
  return *block;
}

// Frees *block when it is not null and sets it to null.
void mvbtrMemFree(void** block);
template <class T>
void mvbtrMemFree(T** block) {
  void* raw = const_cast<void*>(static_cast<const void*>(*block));
  mvbtrMemFree(&raw);
  *block = nullptr;
}

// Frees the old string and stores a new copy of text (null text gives null).
// Out of memory: error 10 "mvbtrStrNewCpy", result 10 (and a null string).
int16_t mvbtrStrNewCpy(char** target, const char* text);

// Allocator for standard containers inside the driver: allocations go through
// the hook and a failure throws std::bad_alloc, which the entry-point guard
// turns into error 10.
template <class T>
struct DriverAllocator {
  using value_type = T;
  DriverAllocator() = default;
  template <class U>
  DriverAllocator(const DriverAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    void* p = DriverAlloc(n * sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { DriverFree(p); }
  template <class U>
  bool operator==(const DriverAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_UTIL_MEMORY_H_

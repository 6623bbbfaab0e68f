// Mutex on POSIX threads.
#include <pthread.h>

#include <new>

#include "platform/platform.h"

namespace vv::platform {

namespace {

// The storage in the header is sized for every platform we build on.
static_assert(sizeof(pthread_mutex_t) <= 64, "Mutex::storage_ too small");
static_assert(alignof(pthread_mutex_t) <= 8, "Mutex::storage_ under-aligned");

pthread_mutex_t* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(storage));
}

}  // namespace

Mutex::Mutex() {
  auto* mu = new (storage_) pthread_mutex_t;
  pthread_mutex_init(mu, nullptr);
}

Mutex::~Mutex() {
  pthread_mutex_destroy(Native(storage_));
}

void Mutex::Lock() {
  pthread_mutex_lock(Native(storage_));
}

void Mutex::Unlock() {
  pthread_mutex_unlock(Native(storage_));
}

}  // namespace vv::platform

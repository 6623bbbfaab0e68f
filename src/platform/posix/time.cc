// POSIX clocks and sleeping.
#include <time.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace vv::platform {

namespace {

timespec Now(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return ts;
}

}  // namespace

void SleepMs(uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

int64_t NowSeconds() {
  return static_cast<int64_t>(Now(CLOCK_REALTIME).tv_sec);
}

uint64_t NowFileTime() {
  const timespec ts = Now(CLOCK_REALTIME);
  return static_cast<uint64_t>(ts.tv_sec) * internal::kFileTimeUnitsPerSecond +
         static_cast<uint64_t>(ts.tv_nsec) / 100 + internal::kUnixEpochAsFileTime;
}

uint64_t MonotonicMs() {
  const timespec ts = Now(CLOCK_MONOTONIC);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

LocalTime NowLocal() {
  const timespec ts = Now(CLOCK_REALTIME);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  return LocalTime{local.tm_year + 1900,
                   local.tm_mon + 1,
                   local.tm_mday,
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int>(ts.tv_nsec / 1000000)};
}

}  // namespace vv::platform

// Windows clocks and sleeping.
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include "platform/platform_internal.h"

namespace vv::platform {

void SleepMs(uint32_t ms) {
  Sleep(ms);
}

uint64_t NowFileTime() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

int64_t NowSeconds() {
  return static_cast<int64_t>((NowFileTime() - internal::kUnixEpochAsFileTime) /
                              internal::kFileTimeUnitsPerSecond);
}

uint64_t MonotonicMs() {
  LARGE_INTEGER frequency, counter;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
      !QueryPerformanceCounter(&counter)) {
    return GetTickCount();  // wraps after 49 days; only without a performance counter
  }
  const auto f = static_cast<uint64_t>(frequency.QuadPart);
  const auto c = static_cast<uint64_t>(counter.QuadPart);
  return c / f * 1000 + c % f * 1000 / f;
}

LocalTime NowLocal() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear,   st.wMonth,  st.wDay,         st.wHour,
                   st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace vv::platform

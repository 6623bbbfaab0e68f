#include "driver/frame/files/temp_name.h"

#include <cstdio>
#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/files/paths.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "platform/platform.h"

namespace vv::driver {
namespace {

constexpr int kTempNameTries = 1000;

uint32_t g_seedOverride = 0;  // test hook; 0 = seed from the clock

// A small linear congruential generator with numbers from 0 to 32767, kept
// per call instead of the C library's process-wide one.
uint32_t NextRandom(uint32_t* state) {
  *state = *state * 214013u + 2531011u;
  return (*state >> 16) & 0x7FFFu;
}

uint32_t Seed() {
  if (g_seedOverride != 0) return g_seedOverride;
  const uint64_t now = platform::NowFileTime();
  return static_cast<uint32_t>(now ^ (now >> 32)) ^ static_cast<uint32_t>(platform::ProcessId());
}

}  // namespace

void TempNameSeedSet(uint32_t seed) {
  g_seedOverride = seed;
}

std::string TempNameCandidate(uint32_t* state, const char* templatePath, const char* prefix) {
  platform::PathParts parts = platform::SplitPath(templatePath != nullptr ? templatePath : "");
  char number[16];
  std::snprintf(number, sizeof number, "%lX", static_cast<unsigned long>(NextRandom(state)));
  parts.name = std::string(prefix != nullptr ? prefix : "") + number;
  return platform::JoinPath(parts);
}

int16_t mvbtrTempNameMake(char** result, const char* templatePath, const char* prefix) {
  mvbtrMemFree(result);
  uint32_t state = Seed();
  for (int i = 0; i < kTempNameTries; ++i) {
    const std::string candidate = TempNameCandidate(&state, templatePath, prefix);
    if (!mvbtrFileExists(candidate.c_str())) {
      if (mvbtrStrNewCpy(result, candidate.c_str()) != 0) return mvbtrErrorStatus();
      return 0;
    }
  }
  mvbtrErrorReport(kErrTempName, nullptr);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver

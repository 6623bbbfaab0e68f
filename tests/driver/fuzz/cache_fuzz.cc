// Coverage-guided fuzzing of the structure cache reader (Clang builds):
// every input is read as it is and once more with its check word made to
// match, so that the fuzzer reaches past the check into the structure.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/host.h"
#include "support/cache_fuzz.h"
#include "veverave/driver.h"

namespace {

// The host and the initialised driver, made once for the whole run.
bool Ready() {
  static vv::host::Host* host = [] {
    auto* made = new vv::host::Host();
    mvDLLSetLoaderGlobals(made->services());
    btrDriver(0, 0, "", 0, 0, nullptr, 21);
    return made;
  }();
  return host != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (!Ready()) return 0;
  vv::testing::CacheFuzzOne(data, size);
  std::string fixed(reinterpret_cast<const char*>(data), size);
  vv::testing::CacheCheckFix(&fixed);
  vv::testing::CacheFuzzOne(reinterpret_cast<const uint8_t*>(fixed.data()), fixed.size());
  return 0;
}

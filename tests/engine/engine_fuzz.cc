// The engine API fuzzer: every input is a run of calls through BTRCALLID
// on a fresh table, checked by the model of model_driver.h (each record a
// read returns, every key walk, the physical walk and Stat's counts after
// every call); afterwards the engine must hold no file open.
//
// Built with libFuzzer where the compiler has it (VV_LIBFUZZER). Otherwise
// main runs a seeded random-call loop: engine_fuzz [SECONDS [SEED]] runs
// inputs of random length from SEED (default 1) for SECONDS (default 3),
// and prints the first failing input in hex.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/model_driver.h"
#include "engine/test_util.h"
#include "platform/platform.h"
#include "veverave/engine.h"

namespace {

std::string RunOne(const uint8_t* data, std::size_t size) {
  static vv::engine::testing::TempDir* const dir = new vv::engine::testing::TempDir();
  std::string failure = vv::engine::testing::RunModel(BTRCALLID, dir->File("fuzz.btr"), data, size);
  if (failure.empty() && vv::engine::GlobalEngine().open_file_count() != 0) {
    failure = "a file stayed open after every client's Reset";
  }
  return failure;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string failure = RunOne(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "engine_fuzz: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}

#ifndef VV_LIBFUZZER
int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1u;
  std::mt19937 random(seed);
  const uint64_t end = vv::platform::MonotonicMs() + static_cast<uint64_t>(seconds * 1000);
  long runs = 0;
  std::size_t bytes = 0;
  while (vv::platform::MonotonicMs() < end) {
    std::vector<uint8_t> input(random() % 600);
    for (uint8_t& b : input) b = static_cast<uint8_t>(random());
    const std::string failure = RunOne(input.data(), input.size());
    ++runs;
    bytes += input.size();
    if (!failure.empty()) {
      std::fprintf(stderr, "engine_fuzz: seed %u, input %ld: %s\ninput:", seed, runs,
                   failure.c_str());
      for (const uint8_t b : input) std::fprintf(stderr, " %02x", b);
      std::fprintf(stderr, "\n");
      return 1;
    }
  }
  std::printf("engine_fuzz: %ld inputs, %zu bytes of calls, no disagreement\n", runs, bytes);
  return 0;
}
#endif

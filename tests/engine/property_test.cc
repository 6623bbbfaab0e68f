// The storage against the in-memory model of model_driver.h: random
// operations of two clients (inserts, updates, deletes, transactions ended
// and aborted, every read) on records large enough to need overflow pages,
// through a page cache of 16 pages (so every walk evicts and reads pages
// back, and large transactions spill to the log), with the engine thrown
// away and the file reopened from its pages and log now and then. Every key
// walk, physical walk and Stat count must match the model.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "engine/model_driver.h"
#include "engine/test_util.h"

namespace vv::engine::testing {
namespace {

TEST(PropertyTest, StorageMatchesTheModelUnderATinyCacheAndReopens) {
  Options options = DefaultOptions();
  options.cache_bytes = 0;  // the smallest cache there is
  for (unsigned seed = 1; seed <= 4; ++seed) {
    TempDir dir;
    auto engine = std::make_unique<Engine>(options);
    const BtrCall call = [&](uint16_t op, void* pb, void* data, uint32_t* len, void* key,
                             uint8_t key_len, int8_t key_number, uint8_t* client) {
      return engine->Call(op, pb, data, len, key, key_len, key_number, client);
    };
    ModelOptions model;
    model.reopen = [&] { engine = std::make_unique<Engine>(options); };
    model.id_range = 100;
    model.record_length = static_cast<uint16_t>(seed % 2 == 0 ? 1200 : 300);
    model.check_every = 16;
    std::mt19937 random(seed);
    std::vector<uint8_t> input(6000);
    for (uint8_t& b : input) b = static_cast<uint8_t>(random());
    EXPECT_EQ(RunModel(call, dir.File("p.btr"), input.data(), input.size(), model), "")
        << "seed " << seed;
  }
}

}  // namespace
}  // namespace vv::engine::testing

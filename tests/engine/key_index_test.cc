// The B+tree of a key, checked against a plain ordered model under random
// inserts and erases: order, neighbours both ways, searches, visibility.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "engine/key_index.h"
#include "veverave/btrieve.h"

namespace vv::engine {
namespace {

// Big keys make small nodes, so that a few hundred entries already build a
// tree several levels deep.
KeyDef StringKey(uint16_t length) {
  KeyDef def;
  def.segments.push_back(
      {1, length, BTR_KEY_EXTENDED_TYPE | BTR_KEY_DUPLICATES, BTR_TYPE_STRING, 0, 0});
  return def;
}

std::string KeyFor(int value, std::size_t length) {
  std::string k(length, ' ');
  const std::string digits = std::to_string(1000 + value);
  k.replace(0, digits.size(), digits);
  return k;
}

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

using Model = std::set<std::pair<std::string, uint64_t>>;

void ExpectSame(const KeyIndex& index, const Model& model) {
  ASSERT_EQ(index.size(), model.size());
  auto it = model.begin();
  for (EntryRef r = index.First(); r.valid(); r = index.Next(r), ++it) {
    ASSERT_NE(it, model.end());
    const EntrySlot& e = index.At(r);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(e.key()), index.key_length), it->first);
    ASSERT_EQ(e.stamp, it->second);
  }
  ASSERT_EQ(it, model.end());
  auto back = model.rbegin();
  for (EntryRef r = index.Last(); r.valid(); r = index.Prev(r), ++back) {
    ASSERT_NE(back, model.rend());
    ASSERT_EQ(index.At(r).stamp, back->second);
  }
  ASSERT_EQ(back, model.rend());
}

TEST(KeyIndexTest, RandomInsertsAndErasesMatchAnOrderedModel) {
  for (const uint16_t length : {uint16_t{4}, uint16_t{200}}) {
    std::vector<Acs> acs;
    KeyIndex index(1, StringKey(length), &acs);
    Model model;
    std::mt19937 random(length);
    uint64_t stamp = 1;
    for (int step = 0; step < 4000; ++step) {
      const bool insert = model.empty() || random() % 3 != 0;
      if (insert) {
        const std::string key = KeyFor(static_cast<int>(random() % 300), length);
        index.ReserveInsert();
        index.Insert(Bytes(key), stamp, static_cast<uint32_t>(stamp), nullptr, 0);
        model.insert({key, stamp++});
      } else {
        auto victim = model.begin();
        std::advance(victim, static_cast<long>(random() % model.size()));
        index.Erase(Bytes(victim->first), victim->second);
        model.erase(victim);
      }
      if (step % 97 == 0) {
        ASSERT_NO_FATAL_FAILURE(ExpectSame(index, model)) << "step " << step;
      }
      // Searches land where the model says.
      const std::string probe = KeyFor(static_cast<int>(random() % 310), length);
      const uint64_t probe_stamp = random() % 2 ? kStampBeforeAll : kStampAfterAll;
      const auto want = model.lower_bound({probe, probe_stamp});
      const EntryRef got = index.LowerBound(Bytes(probe), probe_stamp);
      ASSERT_EQ(got.valid(), want != model.end()) << "step " << step;
      if (got.valid()) {
        ASSERT_EQ(index.At(got).stamp, want->second);
      }
      if (!model.empty()) {
        auto some = model.begin();
        std::advance(some, static_cast<long>(random() % model.size()));
        const EntryRef found = index.Find(Bytes(some->first), some->second);
        ASSERT_TRUE(found.valid());
        ASSERT_EQ(index.At(found).stamp, some->second);
        ASSERT_FALSE(index.Find(Bytes(some->first), stamp + 1).valid());
      }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectSame(index, model));
    // Emptied completely, then used again.
    for (const auto& [key, s] : model) index.Erase(Bytes(key), s);
    EXPECT_EQ(index.size(), 0u);
    EXPECT_FALSE(index.First().valid());
    EXPECT_FALSE(index.Last().valid());
    const std::string key = KeyFor(1, length);
    index.ReserveInsert();
    index.Insert(Bytes(key), stamp, 1, nullptr, 0);
    EXPECT_TRUE(index.Find(Bytes(key), stamp).valid());
  }
}

}  // namespace
}  // namespace vv::engine

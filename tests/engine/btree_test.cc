// The paged B+tree against std::map under a cache of a few frames (so that
// pages are spilled to the log and read back inside a write), across
// commits, rollbacks and reopens; and the log across a simulated power loss.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "engine/btree.h"
#include "engine/byte_order.h"
#include "engine/fault_file_system.h"
#include "engine/test_util.h"

namespace vv::engine::testing {
namespace {

int CompareU32(const void*, const uint8_t* a, const uint8_t* b) {
  const uint32_t x = LoadU32(a);
  const uint32_t y = LoadU32(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

// Page 0 holds the tree's root and the page count; freed pages are simply
// not reused here.
class TreeFile : public PageSpace {
 public:
  TreeFile(FileSystem* fs, PageCache* cache, const std::string& path) {
    uint8_t page[kPageSize] = {};
    SealPage(page);
    if (!fs->FileExists(path)) {
      auto f = fs->OpenFile(path, platform::OpenMode::kReadWriteCreate, nullptr);
      f->WriteAt(0, page, kPageSize);
    }
    auto main = fs->OpenFile(path, platform::OpenMode::kReadWrite, nullptr);
    EXPECT_EQ(Pager::Open(fs, cache, path, std::move(main), true, 7, &pager), 0);
    Load();
  }
  void Load() {
    PageRef h = pager->Read(0);
    root = LoadU32(h.data());
    pages = std::max<uint32_t>(1, LoadU32(h.data() + 4));
  }
  void Commit(bool sync) {
    {
      PageRef h = pager->Write(0);
      StoreU32(h.data(), root);
      StoreU32(h.data() + 4, pages);
    }
    pager->Commit(sync);
  }
  uint32_t AllocatePage() override { return pages++; }
  void FreePage(uint32_t) override {}

  std::unique_ptr<Pager> pager;
  uint32_t root = 0;
  uint32_t pages = 1;
};

std::map<uint32_t, std::string> Contents(TreeFile& f) {
  BTree tree(f.pager.get(), &f, &f.root, 4, CompareU32, nullptr);
  std::map<uint32_t, std::string> out;
  for (BTree::Pos p = tree.First(); p.valid(); p = tree.Next(p)) {
    const BTree::Cell c = tree.At(p);
    out[LoadU32(c.key)] = std::string(reinterpret_cast<const char*>(c.value), c.value_size);
  }
  // The backward walk agrees.
  std::size_t back = 0;
  for (BTree::Pos p = tree.Last(); p.valid(); p = tree.Prev(p)) ++back;
  EXPECT_EQ(back, out.size());
  return out;
}

TEST(BTreeTest, MatchesAMapThroughSpillsRollbacksAndReopens) {
  TempDir dir;
  const std::string path = dir.File("tree.db");
  PageCache cache(0);  // the smallest cache there is
  std::map<uint32_t, std::string> model;
  std::mt19937 random(5);
  for (int round = 0; round < 6; ++round) {
    TreeFile f(DefaultFileSystem(), &cache, path);
    ASSERT_EQ(Contents(f), model) << "round " << round;
    std::map<uint32_t, std::string> next = model;
    f.pager->BeginWrite();
    BTree tree(f.pager.get(), &f, &f.root, 4, CompareU32, nullptr);
    for (int i = 0; i < 3000; ++i) {
      uint8_t key[4];
      const uint32_t k = random() % 2000;
      StoreU32(key, k);
      if (random() % 3 == 0) {
        EXPECT_EQ(tree.Erase(key), next.erase(k) == 1);
      } else {
        const std::string v(random() % (round == 5 ? 900 : 60), static_cast<char>('a' + i % 26));
        tree.Put(key, reinterpret_cast<const uint8_t*>(v.data()), v.size());
        next[k] = v;
      }
      if (i % 500 == 0) {
        const BTree::Pos p = tree.LowerBound(key);
        const auto it = next.lower_bound(k);
        ASSERT_EQ(p.valid(), it != next.end());
        if (p.valid()) {
          EXPECT_EQ(LoadU32(tree.At(p).key), it->first);
        }
      }
    }
    if (round == 2) {
      f.pager->Rollback();  // this round's changes are gone
      f.Load();
      ASSERT_EQ(Contents(f), model);
      continue;
    }
    f.Commit(round % 2 == 0);
    model = next;
    ASSERT_EQ(Contents(f), model);
  }
}

TEST(BTreeTest, PowerLossKeepsSyncedCommitsOnly) {
  TempDir dir;
  const std::string path = dir.File("tree.db");
  FaultFileSystem fs;
  PageCache cache(1 << 20);
  auto put = [](TreeFile& f, uint32_t k) {
    BTree tree(f.pager.get(), &f, &f.root, 4, CompareU32, nullptr);
    uint8_t key[4];
    StoreU32(key, k);
    tree.Put(key, key, 4);
  };
  {
    TreeFile f(&fs, &cache, path);
    f.pager->BeginWrite();
    put(f, 1);
    f.Commit(true);
    f.pager->BeginWrite();
    put(f, 2);
    f.Commit(false);
    fs.Crash();
  }
  TreeFile f(DefaultFileSystem(), &cache, path);
  EXPECT_EQ(Contents(f).size(), 1u);
}

}  // namespace
}  // namespace vv::engine::testing

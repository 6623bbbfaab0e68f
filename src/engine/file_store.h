// The pages of an engine file as the engine's state needs them: the header
// page (counters, roots of the trees, the free page list), the file
// definition and record images too large for a tree cell (both in chains of
// blob pages), and the record tree (address -> stored record). The key trees
// live with their keys (key_index.h). docs/engine-file-format.md is the
// reference.
//
// Changes happen inside a store write (Begin ... Commit); a failure throws
// StorageError or std::bad_alloc, and Abort then takes the pages and the
// header back to the last commit.
#ifndef VEVERAVE_ENGINE_FILE_STORE_H_
#define VEVERAVE_ENGINE_FILE_STORE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/btree.h"
#include "engine/file_definition.h"
#include "engine/pager.h"

namespace vv::engine {

inline constexpr uint32_t kPagedFormatVersion = 2;
inline constexpr uint32_t kLogFormatVersion = 1;  // the earlier format: one log of records
inline constexpr uint8_t kBlobPage = 4;
inline constexpr uint8_t kFreePage = 5;

struct IndexRoot {
  uint32_t id = 0;
  uint32_t root = 0;
  uint32_t distinct = 0;  // committed entries with different key values
};

// Page 0.
struct StoreHeader {
  uint64_t salt = 0;
  uint32_t page_count = 1;  // pages 0 .. page_count-1 exist
  uint32_t free_head = 0;   // first page of the free list, 0: none
  uint32_t free_count = 0;
  uint32_t def_page = 0;
  uint32_t def_length = 0;
  uint32_t record_root = 0;
  uint32_t next_address = 1;
  uint64_t next_stamp = 1;
  uint32_t committed_count = 0;
  std::vector<IndexRoot> indexes;  // in key number order
};

enum class HeaderRead { kOk, kNotOurs, kLogFormat, kDamaged };
// Reads the header page; check_seal for bytes as they lie in the file (a
// page in the cache carries no seal).
HeaderRead DecodeStoreHeader(const uint8_t* page, StoreHeader* out, bool check_seal);
void EncodeStoreHeader(const StoreHeader& h, uint8_t* page);
// The salt from the first bytes of a header page (valid even when the rest
// of the page was torn: those bytes never change).
uint64_t HeaderSalt(const uint8_t* page);

// A committed record as the record tree keeps it.
struct StoredRecord {
  uint64_t version = 0;          // stamp of the change that wrote this image
  std::vector<uint64_t> stamps;  // per key: the stamp of its entry, 0 when left out
  std::string image;
};

class FileStore final : public PageSpace {
 public:
  FileStore(std::unique_ptr<Pager> pager, StoreHeader header);

  Pager& pager() { return *pager_; }
  StoreHeader& header() { return header_; }
  const StoreHeader& header() const { return header_; }
  BTree& records() { return records_; }

  // Store writes.
  void Begin();
  void Commit(bool sync);
  // Takes the pages back to the last commit and reloads the header;
  // counters handed out since stay handed out. Cannot fail.
  void Abort();

  // PageSpace.
  uint32_t AllocatePage() override;
  void FreePage(uint32_t page) override;

  // Blob chains.
  uint32_t WriteChain(const uint8_t* bytes, std::size_t n);
  std::string ReadChain(uint32_t page, std::size_t n);
  void FreeChain(uint32_t page);

  // The record at address (looked for first in the leaf hint, where a key
  // entry last saw it); false when the tree has none. image is assigned
  // (its buffer reused); version and stamps may be nullptr.
  bool ReadRecord(uint32_t address, uint32_t hint, std::string* image, uint64_t* version,
                  std::vector<uint64_t>* stamps);
  // Returns the leaf that holds the record now (the hint for its entries).
  // fresh: the address holds no record yet.
  uint32_t WriteRecord(uint32_t address, const StoredRecord& record, bool fresh = false);
  void EraseRecord(uint32_t address);
  // Decodes the record cell at a position of the record tree.
  void RecordAt(BTree::Pos pos, uint32_t* address, StoredRecord* out);

  FileDefinition ReadDefinition();
  void WriteDefinition(const FileDefinition& def);

 private:
  void FreeOverflow(const uint8_t* cell, std::size_t n);
  void DecodeRecord(const uint8_t* cell, std::size_t n, StoredRecord* out);

  std::unique_ptr<Pager> pager_;
  StoreHeader header_;
  BTree records_;
};

// The image of a new file holding a definition and no records.
std::string NewStoreImage(const FileDefinition& def, uint64_t salt);
// A salt for a new file.
uint64_t NewSalt(const void* seed);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_STORE_H_

#include "engine/file_store.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/log_format.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

constexpr std::size_t kIndexTableOffset = 68;
constexpr std::size_t kIndexEntrySize = 12;
constexpr std::size_t kBlobData = 12;
constexpr std::size_t kBlobCapacity = kPageSize - 4 - kBlobData;
constexpr uint8_t kOverflowFlag = 0x01;
constexpr std::size_t kRecordCellHead = 8 + 1 + 2;

int CompareAddresses(const void*, const uint8_t* a, const uint8_t* b) {
  const uint32_t x = LoadU32(a);
  const uint32_t y = LoadU32(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

HeaderRead DecodeStoreHeader(const uint8_t* p, StoreHeader* out, bool check_seal) {
  if (std::memcmp(p, kSignature, kSignatureSize) != 0) return HeaderRead::kNotOurs;
  const uint32_t version = LoadU32(p + 8);
  if (version == kLogFormatVersion) return HeaderRead::kLogFormat;
  if (version != kPagedFormatVersion || LoadU32(p + 12) != kPageSize) return HeaderRead::kNotOurs;
  if (check_seal && !PageSealOk(p)) return HeaderRead::kDamaged;
  StoreHeader h;
  h.salt = LoadU64(p + 16);
  h.page_count = LoadU32(p + 24);
  h.free_head = LoadU32(p + 28);
  h.free_count = LoadU32(p + 32);
  h.def_page = LoadU32(p + 36);
  h.def_length = LoadU32(p + 40);
  h.record_root = LoadU32(p + 44);
  h.next_address = LoadU32(p + 48);
  h.committed_count = LoadU32(p + 52);
  h.next_stamp = LoadU64(p + 56);
  const uint16_t n = LoadU16(p + 64);
  if (n > kMaxKeys || h.page_count == 0 || h.def_page == 0) return HeaderRead::kDamaged;
  for (uint16_t i = 0; i < n; ++i) {
    const uint8_t* e = p + kIndexTableOffset + kIndexEntrySize * i;
    h.indexes.push_back(IndexRoot{LoadU32(e), LoadU32(e + 4), LoadU32(e + 8)});
  }
  *out = std::move(h);
  return HeaderRead::kOk;
}

void EncodeStoreHeader(const StoreHeader& h, uint8_t* p) {
  std::memset(p, 0, kPageSize);
  std::memcpy(p, kSignature, kSignatureSize);
  StoreU32(p + 8, kPagedFormatVersion);
  StoreU32(p + 12, static_cast<uint32_t>(kPageSize));
  StoreU64(p + 16, h.salt);
  StoreU32(p + 24, h.page_count);
  StoreU32(p + 28, h.free_head);
  StoreU32(p + 32, h.free_count);
  StoreU32(p + 36, h.def_page);
  StoreU32(p + 40, h.def_length);
  StoreU32(p + 44, h.record_root);
  StoreU32(p + 48, h.next_address);
  StoreU32(p + 52, h.committed_count);
  StoreU64(p + 56, h.next_stamp);
  StoreU16(p + 64, static_cast<uint16_t>(h.indexes.size()));
  for (std::size_t i = 0; i < h.indexes.size(); ++i) {
    uint8_t* e = p + kIndexTableOffset + kIndexEntrySize * i;
    StoreU32(e, h.indexes[i].id);
    StoreU32(e + 4, h.indexes[i].root);
    StoreU32(e + 8, h.indexes[i].distinct);
  }
}

uint64_t HeaderSalt(const uint8_t* page) {
  return LoadU64(page + 16);
}

uint64_t NewSalt(const void* seed) {
  uint64_t s = platform::MonotonicMs() * 0x9E3779B97F4A7C15u;
  s ^= static_cast<uint64_t>(reinterpret_cast<uintptr_t>(seed)) << 17;
  s ^= static_cast<uint64_t>(platform::ProcessId()) << 40;
  static uint64_t counter = 0;
  s += ++counter * 0xBF58476D1CE4E5B9u;
  return s == 0 ? 1 : s;
}

FileStore::FileStore(std::unique_ptr<Pager> pager, StoreHeader header)
    : pager_(std::move(pager)),
      header_(std::move(header)),
      records_(pager_.get(), this, &header_.record_root, 4, CompareAddresses, nullptr,
               kRecordTreeTag) {}

void FileStore::Begin() {
  pager_->BeginWrite();
}

void FileStore::Commit(bool sync) {
  {
    PageRef h = pager_->Write(0);
    EncodeStoreHeader(header_, h.data());
  }
  pager_->Commit(sync);
  pager_->MaybeCheckpoint();
}

void FileStore::Abort() {
  pager_->Rollback();
  const uint32_t next_address = header_.next_address;
  const uint64_t next_stamp = header_.next_stamp;
  try {
    PageRef h = pager_->Read(0);
    StoreHeader reloaded;
    if (DecodeStoreHeader(h.data(), &reloaded, false) == HeaderRead::kOk) {
      header_ = std::move(reloaded);
    }
  } catch (...) {
    // The pager is poisoned: nothing more is read or written.
  }
  header_.next_address = std::max(header_.next_address, next_address);
  header_.next_stamp = std::max(header_.next_stamp, next_stamp);
}

uint32_t FileStore::AllocatePage() {
  if (header_.free_head != 0) {
    const uint32_t page = header_.free_head;
    PageRef ref = pager_->Read(page);
    if (ref.data()[0] != kFreePage) throw StorageError{BTR_STATUS_IO_ERROR};
    header_.free_head = LoadU32(ref.data() + 4);
    --header_.free_count;
    return page;
  }
  if (header_.page_count == UINT32_MAX) throw StorageError{BTR_STATUS_DISK_FULL};
  return header_.page_count++;
}

void FileStore::FreePage(uint32_t page) {
  PageRef ref = pager_->Fresh(page);
  ref.data()[0] = kFreePage;
  StoreU32(ref.data() + 4, header_.free_head);
  header_.free_head = page;
  ++header_.free_count;
}

uint32_t FileStore::WriteChain(const uint8_t* bytes, std::size_t n) {
  // Written back to front, so that each page knows its successor.
  const std::size_t pages = std::max<std::size_t>(1, (n + kBlobCapacity - 1) / kBlobCapacity);
  uint32_t next = 0;
  for (std::size_t i = pages; i-- > 0;) {
    const uint32_t page = AllocatePage();
    PageRef ref = pager_->Fresh(page);
    uint8_t* p = ref.data();
    const std::size_t at = i * kBlobCapacity;
    const std::size_t used = std::min(kBlobCapacity, n - std::min(n, at));
    p[0] = kBlobPage;
    StoreU32(p + 4, next);
    StoreU16(p + 8, static_cast<uint16_t>(used));
    if (used > 0) std::memcpy(p + kBlobData, bytes + at, used);
    next = page;
  }
  return next;
}

std::string FileStore::ReadChain(uint32_t page, std::size_t n) {
  std::string out;
  out.reserve(n);
  while (out.size() < n) {
    if (page == 0) throw StorageError{BTR_STATUS_IO_ERROR};
    PageRef ref = pager_->Read(page);
    const uint8_t* p = ref.data();
    const std::size_t used = LoadU16(p + 8);
    if (p[0] != kBlobPage || used > kBlobCapacity || used > n - out.size()) {
      throw StorageError{BTR_STATUS_IO_ERROR};
    }
    out.append(reinterpret_cast<const char*>(p + kBlobData), used);
    page = LoadU32(p + 4);
    if (used == 0) break;
  }
  if (out.size() != n) throw StorageError{BTR_STATUS_IO_ERROR};
  return out;
}

void FileStore::FreeChain(uint32_t page) {
  while (page != 0) {
    uint32_t next = 0;
    {
      PageRef ref = pager_->Read(page);
      if (ref.data()[0] != kBlobPage) throw StorageError{BTR_STATUS_IO_ERROR};
      next = LoadU32(ref.data() + 4);
    }
    FreePage(page);
    page = next;
  }
}

void FileStore::DecodeRecord(const uint8_t* cell, std::size_t n, StoredRecord* out) {
  if (n < kRecordCellHead) throw StorageError{BTR_STATUS_IO_ERROR};
  out->version = LoadU64(cell);
  const uint8_t flags = cell[8];
  const std::size_t keys = LoadU16(cell + 9);
  const std::size_t head = kRecordCellHead + 8 * keys;
  if (head > n) throw StorageError{BTR_STATUS_IO_ERROR};
  out->stamps.resize(keys);
  for (std::size_t i = 0; i < keys; ++i) out->stamps[i] = LoadU64(cell + kRecordCellHead + 8 * i);
  if (flags & kOverflowFlag) {
    if (n != head + 8) throw StorageError{BTR_STATUS_IO_ERROR};
    out->image = ReadChain(LoadU32(cell + head + 4), LoadU32(cell + head));
  } else {
    out->image.assign(reinterpret_cast<const char*>(cell + head), n - head);
  }
}

bool FileStore::ReadRecord(uint32_t address, uint32_t hint, std::string* image, uint64_t* version,
                           std::vector<uint64_t>* stamps) {
  uint8_t key[4];
  StoreU32(key, address);
  BTree::Pos pos = records_.FindIn(hint, key);
  if (!pos.valid()) pos = records_.Find(key);
  if (!pos.valid()) return false;
  BTree::Cell cell = records_.At(pos);
  const uint8_t* p = cell.value;
  const std::size_t n = cell.value_size;
  if (n < kRecordCellHead) throw StorageError{BTR_STATUS_IO_ERROR};
  const std::size_t keys = LoadU16(p + 9);
  const std::size_t head = kRecordCellHead + 8 * keys;
  if (head > n) throw StorageError{BTR_STATUS_IO_ERROR};
  if (version != nullptr) *version = LoadU64(p);
  if (stamps != nullptr) {
    stamps->resize(keys);
    for (std::size_t i = 0; i < keys; ++i) (*stamps)[i] = LoadU64(p + kRecordCellHead + 8 * i);
  }
  if (!(p[8] & kOverflowFlag)) {
    image->assign(reinterpret_cast<const char*>(p + head), n - head);
    return true;
  }
  if (n != head + 8) throw StorageError{BTR_STATUS_IO_ERROR};
  const uint32_t length = LoadU32(p + head);
  const uint32_t first = LoadU32(p + head + 4);
  cell.ref.Reset();  // reading the chain may need the frame
  *image = ReadChain(first, length);
  return true;
}

void FileStore::RecordAt(BTree::Pos pos, uint32_t* address, StoredRecord* out) {
  BTree::Cell cell = records_.At(pos);
  *address = LoadU32(cell.key);
  const std::string bytes(reinterpret_cast<const char*>(cell.value), cell.value_size);
  cell.ref.Reset();  // reading an overflow chain may need the frame
  DecodeRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

void FileStore::FreeOverflow(const uint8_t* cell, std::size_t n) {
  if (n < kRecordCellHead || !(cell[8] & kOverflowFlag)) return;
  const std::size_t head = kRecordCellHead + 8 * std::size_t{LoadU16(cell + 9)};
  if (n == head + 8) FreeChain(LoadU32(cell + head + 4));
}

uint32_t FileStore::WriteRecord(uint32_t address, const StoredRecord& record, bool fresh) {
  uint8_t key[4];
  StoreU32(key, address);
  const BTree::Pos old = fresh ? BTree::Pos{} : records_.Find(key);
  if (old.valid()) {
    BTree::Cell cell = records_.At(old);
    const std::string bytes(reinterpret_cast<const char*>(cell.value), cell.value_size);
    cell.ref.Reset();
    FreeOverflow(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::string cell(kRecordCellHead + 8 * record.stamps.size(), '\0');
  auto* p = reinterpret_cast<uint8_t*>(cell.data());
  StoreU64(p, record.version);
  StoreU16(p + 9, static_cast<uint16_t>(record.stamps.size()));
  for (std::size_t i = 0; i < record.stamps.size(); ++i) {
    StoreU64(p + kRecordCellHead + 8 * i, record.stamps[i]);
  }
  if (cell.size() + record.image.size() <= kMaxTreeValue) {
    cell += record.image;
  } else {
    p[8] = kOverflowFlag;
    const uint32_t first =
        WriteChain(reinterpret_cast<const uint8_t*>(record.image.data()), record.image.size());
    PutU32(&cell, static_cast<uint32_t>(record.image.size()));
    PutU32(&cell, first);
  }
  return records_.Put(key, reinterpret_cast<const uint8_t*>(cell.data()), cell.size());
}

void FileStore::EraseRecord(uint32_t address) {
  uint8_t key[4];
  StoreU32(key, address);
  const BTree::Pos pos = records_.Find(key);
  if (!pos.valid()) return;
  {
    BTree::Cell cell = records_.At(pos);
    const std::string bytes(reinterpret_cast<const char*>(cell.value), cell.value_size);
    cell.ref.Reset();
    FreeOverflow(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  records_.Erase(key);
}

FileDefinition FileStore::ReadDefinition() {
  const std::string bytes = ReadChain(header_.def_page, header_.def_length);
  FileDefinition def;
  if (!DecodeDefinition(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &def)) {
    throw StorageError{BTR_STATUS_IO_ERROR};
  }
  return def;
}

void FileStore::WriteDefinition(const FileDefinition& def) {
  const std::string bytes = EncodeDefinition(def);
  const uint32_t old = header_.def_page;
  header_.def_page = WriteChain(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  header_.def_length = static_cast<uint32_t>(bytes.size());
  if (old != 0) FreeChain(old);
}

std::string NewStoreImage(const FileDefinition& def, uint64_t salt) {
  const std::string bytes = EncodeDefinition(def);
  const std::size_t pages =
      std::max<std::size_t>(1, (bytes.size() + kBlobCapacity - 1) / kBlobCapacity);
  std::string image((1 + pages) * kPageSize, '\0');
  auto* base = reinterpret_cast<uint8_t*>(image.data());
  for (std::size_t i = 0; i < pages; ++i) {
    uint8_t* p = base + (1 + i) * kPageSize;
    const std::size_t at = i * kBlobCapacity;
    const std::size_t used = std::min(kBlobCapacity, bytes.size() - std::min(bytes.size(), at));
    p[0] = kBlobPage;
    StoreU32(p + 4, i + 1 < pages ? static_cast<uint32_t>(i + 2) : 0);
    StoreU16(p + 8, static_cast<uint16_t>(used));
    if (used > 0) std::memcpy(p + kBlobData, bytes.data() + at, used);
    SealPage(p);
  }
  StoreHeader h;
  h.salt = salt;
  h.page_count = static_cast<uint32_t>(1 + pages);
  h.def_page = 1;
  h.def_length = static_cast<uint32_t>(bytes.size());
  h.next_address = std::max<uint32_t>(def.next_address, 1);
  h.next_stamp = std::max<uint64_t>(def.next_stamp, 1);
  for (const DefinedKey& k : def.keys) h.indexes.push_back(IndexRoot{k.id, 0, 0});
  EncodeStoreHeader(h, base);
  SealPage(base);
  return image;
}

}  // namespace vv::engine

#include "vvbutil/file_layout.h"

#include <cstring>

#include "veverave/btrieve.h"

namespace vv::butil {

static_assert(sizeof(AcsBlock) == BTR_ACS_SIZE);

namespace {

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

uint16_t Get16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void AppendSegments(const std::vector<SegmentLayout>& segments, std::string* out) {
  for (const SegmentLayout& s : segments) {
    uint8_t b[BTR_KEYDEF_SIZE] = {};
    Put16(b + BTR_KEYDEF_POSITION, s.position);
    Put16(b + BTR_KEYDEF_LENGTH, s.length);
    Put16(b + BTR_KEYDEF_FLAGS, s.flags);
    b[BTR_KEYDEF_TYPE] = s.type;
    b[BTR_KEYDEF_NULL_VALUE] = s.null_value;
    b[BTR_KEYDEF_KEY_NUMBER] = s.key_number;
    b[BTR_KEYDEF_ACS_NUMBER] = s.acs_number;
    out->append(reinterpret_cast<const char*>(b), sizeof b);
  }
}

void AppendAcs(const std::vector<AcsBlock>& acs, std::string* out) {
  for (const AcsBlock& a : acs) out->append(reinterpret_cast<const char*>(a.data()), a.size());
}

}  // namespace

std::string EncodeCreate(const FileLayout& file, const std::vector<SegmentLayout>& segments,
                         const std::vector<AcsBlock>& acs) {
  uint8_t b[BTR_FILEDEF_SIZE] = {};
  Put16(b + BTR_FILEDEF_RECORD_LENGTH, file.record_length);
  Put16(b + BTR_FILEDEF_PAGE_SIZE, file.page_size);
  b[BTR_FILEDEF_KEY_COUNT] = file.key_count;
  Put16(b + BTR_FILEDEF_FILE_FLAGS, file.flags);
  b[BTR_FILEDEF_DUP_POINTERS] = file.dup_pointers;
  Put16(b + BTR_FILEDEF_PREALLOCATION, file.preallocation);
  std::string out(reinterpret_cast<const char*>(b), sizeof b);
  AppendSegments(segments, &out);
  AppendAcs(acs, &out);
  return out;
}

std::string EncodeIndex(const std::vector<SegmentLayout>& segments,
                        const std::vector<AcsBlock>& acs) {
  std::string out;
  AppendSegments(segments, &out);
  AppendAcs(acs, &out);
  return out;
}

bool DecodeStat(const uint8_t* buf, std::size_t len, StatInfo* out, std::string* error) {
  *out = StatInfo{};
  if (len < BTR_FILEDEF_SIZE) {
    *error = "file definition cut short (" + std::to_string(len) + " bytes)";
    return false;
  }
  FileLayout& f = out->file;
  f.record_length = Get16(buf + BTR_FILEDEF_RECORD_LENGTH);
  f.page_size = Get16(buf + BTR_FILEDEF_PAGE_SIZE);
  f.key_count = buf[BTR_FILEDEF_KEY_COUNT];
  f.file_version = buf[BTR_FILEDEF_FILE_VERSION];
  f.record_count = Get32(buf + BTR_FILEDEF_RECORD_COUNT);
  f.flags = Get16(buf + BTR_FILEDEF_FILE_FLAGS);
  f.dup_pointers = buf[BTR_FILEDEF_DUP_POINTERS];
  f.preallocation = Get16(buf + BTR_FILEDEF_PREALLOCATION);

  std::size_t at = BTR_FILEDEF_SIZE;
  for (int key = 0; key < f.key_count; ++key) {
    bool more = true;
    while (more) {
      if (len - at < BTR_KEYDEF_SIZE) {
        *error = "key definition of key " + std::to_string(key) + " cut short";
        return false;
      }
      const uint8_t* p = buf + at;
      SegmentLayout s;
      s.position = Get16(p + BTR_KEYDEF_POSITION);
      s.length = Get16(p + BTR_KEYDEF_LENGTH);
      s.flags = Get16(p + BTR_KEYDEF_FLAGS);
      s.unique_count = Get32(p + BTR_KEYDEF_UNIQUE_COUNT);
      s.type = p[BTR_KEYDEF_TYPE];
      s.null_value = p[BTR_KEYDEF_NULL_VALUE];
      s.key_number = p[BTR_KEYDEF_KEY_NUMBER];
      s.acs_number = p[BTR_KEYDEF_ACS_NUMBER];
      out->segments.push_back(s);
      at += BTR_KEYDEF_SIZE;
      more = (s.flags & BTR_KEY_SEGMENTED) != 0;
    }
  }
  while (len - at >= BTR_ACS_SIZE) {
    AcsBlock a;
    std::memcpy(a.data(), buf + at, a.size());
    out->acs.push_back(a);
    at += BTR_ACS_SIZE;
  }
  return true;
}

std::string AcsName(const AcsBlock& block) {
  std::string name(reinterpret_cast<const char*>(block.data() + 1), 8);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  const std::size_t nul = name.find('\0');
  if (nul != std::string::npos) name.resize(nul);
  return name;
}

}  // namespace vv::butil

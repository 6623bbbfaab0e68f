#include "host/native_format.h"

#include <cstring>
#include <set>

#include "host/host_errors.h"

namespace vv::host {
namespace {

uint16_t LoadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void PutU8(std::string* s, uint32_t v) {
  s->push_back(static_cast<char>(v & 0xFF));
}
void PutU16(std::string* s, uint32_t v) {
  PutU8(s, v);
  PutU8(s, v >> 8);
}
void PutU32(std::string* s, uint32_t v) {
  PutU16(s, v);
  PutU16(s, v >> 16);
}

std::string UpperCase(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

bool IsTextType(int32_t type) {
  return type == VV_HOST_TYPE_ASCII || type == VV_HOST_TYPE_OVERLAP || type == VV_HOST_TYPE_TEXT;
}

bool Fail(std::string* why, const std::string& text) {
  *why = text;
  return false;
}

int16_t Bad(std::string* why, const std::string& text) {
  *why = text;
  return kErrBadDefinition;
}

// Checks one field and sets its size; the record offset comes later.
bool FieldLayout(NativeField* f, int32_t number, std::string* why) {
  const std::string at = "field " + std::to_string(number) + " " + f->name + ": ";
  if (f->name.empty() || f->name.size() > VV_ATTR_FIELD_NAME_MAX) {
    return Fail(why, at + "name of 1 to 20 characters needed");
  }
  for (char c : f->name) {
    if (static_cast<unsigned char>(c) <= ' ') return Fail(why, at + "blank or control in name");
  }
  if (f->type != VV_HOST_TYPE_BCD && f->decimals != 0) {
    return Fail(why, at + "decimals only for BCD");
  }
  if (f->relatedFile < 0 || f->relatedFile > 0xFFFF || f->relatedField < 0 ||
      f->relatedField > 0xFFFF) {
    return Fail(why, at + "related file or field out of range");
  }
  switch (f->type) {
    case VV_HOST_TYPE_ASCII:
      if (f->length < 1 || f->length > kMaxNativeAsciiLength) {
        return Fail(why, at + "ASCII length 1 to 255");
      }
      f->size = f->length;
      return true;
    case VV_HOST_TYPE_TEXT:
    case VV_HOST_TYPE_BINARY:
      if (f->length < 1 || f->length > kMaxNativeTextLength) {
        return Fail(why, at + "length 1 to 16384");
      }
      f->size = f->length;
      return true;
    case VV_HOST_TYPE_BCD:
      if (f->length < 1 || f->decimals < 0 || f->decimals > VV_BCD_FRACTION_DIGITS ||
          f->decimals > f->length || f->length - f->decimals > VV_BCD_INTEGER_DIGITS) {
        return Fail(why, at + "BCD of at most 14 integer digits and 8 decimals");
      }
      f->size = f->length / 2 + 1;
      return true;
    case VV_HOST_TYPE_DATE:
      f->length = kNativeDateDigits;
      f->size = kNativeDateDigits / 2 + 1;
      return true;
    case VV_HOST_TYPE_OVERLAP:
      if (f->length < 1) return Fail(why, at + "OVERLAP length of at least 1");
      f->size = f->length;
      return true;
    default:
      return Fail(why, at + "host type " + std::to_string(f->type) + " has no storage");
  }
}

bool IndexLayout(const NativeTableDef& def, int32_t number, std::string* why) {
  const NativeIndex& index = def.indexes[static_cast<std::size_t>(number - 1)];
  const std::string at = "index " + std::to_string(number) + ": ";
  if (index.segments.empty() || index.segments.size() > kMaxNativeSegments) {
    return Fail(why, at + "1 to 16 segments");
  }
  std::set<int32_t> seen;
  for (const NativeSegment& seg : index.segments) {
    if (seg.field < 0 || seg.field > static_cast<int32_t>(def.fields.size())) {
      return Fail(why, at + "no field " + std::to_string(seg.field));
    }
    if (!seen.insert(seg.field).second) {
      return Fail(why, at + "field " + std::to_string(seg.field) + " twice");
    }
    if (seg.ignoreCase &&
        (seg.field == 0 || !IsTextType(def.fields[static_cast<std::size_t>(seg.field - 1)].type))) {
      return Fail(why, at + "ignore case on a field that is not text");
    }
  }
  return true;
}

}  // namespace

int16_t NativeLayout(NativeTableDef* def, std::string* why) {
  const auto fieldCount = static_cast<int32_t>(def->fields.size());
  const auto indexCount = static_cast<int32_t>(def->indexes.size());
  if (fieldCount < 1 || fieldCount > kMaxNativeFields) {
    return Bad(why, "1 to 255 fields needed");
  }
  if (indexCount > kMaxNativeIndexes) return Bad(why, "at most 15 indexes");
  std::set<std::string> names;
  int32_t recordLength = 0;
  for (int32_t i = 1; i <= fieldCount; ++i) {
    NativeField& f = def->fields[static_cast<std::size_t>(i - 1)];
    if (!FieldLayout(&f, i, why)) return kErrBadDefinition;
    if (!names.insert(UpperCase(f.name)).second) {
      return Bad(why, "field name " + f.name + " twice");
    }
    if (f.type == VV_HOST_TYPE_OVERLAP) continue;
    f.offset = recordLength + 1;
    recordLength += f.size;
    if (recordLength > kMaxNativeRecordLength) {
      return Bad(why, "record longer than 65000 bytes");
    }
  }
  for (int32_t i = 1; i <= fieldCount; ++i) {
    const NativeField& f = def->fields[static_cast<std::size_t>(i - 1)];
    if (f.type == VV_HOST_TYPE_OVERLAP &&
        (f.offset < 1 || f.offset - 1 + f.length > recordLength)) {
      return Bad(why, "field " + std::to_string(i) + " " + f.name + ": OVERLAP outside the record");
    }
    if (f.mainIndex < 0 || f.mainIndex > indexCount) {
      return Bad(why, "field " + std::to_string(i) + " " + f.name + ": no index " +
                          std::to_string(f.mainIndex));
    }
  }
  for (int32_t i = 1; i <= indexCount; ++i) {
    if (!IndexLayout(*def, i, why)) return kErrBadDefinition;
  }
  // Main indexes not given: a field's first index at its smallest segment
  // position.
  std::vector<bool> given(static_cast<std::size_t>(fieldCount) + 1);
  for (int32_t i = 1; i <= fieldCount; ++i) {
    given[static_cast<std::size_t>(i)] =
        def->fields[static_cast<std::size_t>(i - 1)].mainIndex != 0;
  }
  for (std::size_t pos = 0; pos < static_cast<std::size_t>(kMaxNativeSegments); ++pos) {
    for (int32_t i = 1; i <= indexCount; ++i) {
      const NativeIndex& index = def->indexes[static_cast<std::size_t>(i - 1)];
      if (pos >= index.segments.size() || index.segments[pos].field == 0) continue;
      const int32_t field = index.segments[pos].field;
      NativeField& f = def->fields[static_cast<std::size_t>(field - 1)];
      if (!given[static_cast<std::size_t>(field)] && f.mainIndex == 0) f.mainIndex = i;
    }
  }
  return 0;
}

std::string NativeFileImage(const NativeTableDef& def, int32_t recordLength) {
  std::string body;
  for (const NativeField& f : def.fields) {
    std::string name = f.name;
    name.resize(VV_ATTR_FIELD_NAME_MAX, '\0');
    body += name;
    PutU8(&body, static_cast<uint32_t>(f.type));
    PutU8(&body, static_cast<uint32_t>(f.decimals));
    PutU16(&body, static_cast<uint32_t>(f.length));
    PutU32(&body, static_cast<uint32_t>(f.offset));
    PutU32(&body, static_cast<uint32_t>(f.size));
    PutU16(&body, static_cast<uint32_t>(f.mainIndex));
    PutU16(&body, static_cast<uint32_t>(f.relatedFile));
    PutU16(&body, static_cast<uint32_t>(f.relatedField));
    body.append(kNativeFieldEntrySize - kFldRelatedField - 2, '\0');
  }
  for (const NativeIndex& index : def.indexes) {
    PutU16(&body, static_cast<uint32_t>(index.segments.size()));
    for (const NativeSegment& seg : index.segments) {
      PutU16(&body, static_cast<uint32_t>(seg.field));
      PutU8(&body, (seg.descending ? kSegDescending : 0u) | (seg.ignoreCase ? kSegIgnoreCase : 0u));
      PutU8(&body, 0);
    }
  }
  std::string image(kNativeMagic, sizeof kNativeMagic);
  PutU16(&image, kNativeVersion);
  PutU16(&image, static_cast<uint32_t>(def.fields.size()));
  PutU16(&image, static_cast<uint32_t>(def.indexes.size()));
  PutU16(&image,
         (def.compressed ? kNativeCompressed : 0u) | (def.systemFile ? kNativeSystemFile : 0u));
  PutU32(&image, static_cast<uint32_t>(recordLength));
  PutU32(&image, static_cast<uint32_t>(kNativeHeaderSize + body.size()));
  PutU32(&image, 0);  // slots
  PutU32(&image, 0);  // live records
  image.resize(kNativeHeaderSize, '\0');
  return image + body;
}

bool NativeParse(const uint8_t* bytes, std::size_t size, NativeTableDef* def, NativeHeader* header,
                 std::string* why) {
  if (size < kNativeHeaderSize || std::memcmp(bytes, kNativeMagic, sizeof kNativeMagic) != 0) {
    return Fail(why, "not a native table");
  }
  if (LoadU16(bytes + kHdrVersion) != kNativeVersion) {
    return Fail(why, "format version " + std::to_string(LoadU16(bytes + kHdrVersion)));
  }
  const int32_t fieldCount = LoadU16(bytes + kHdrFieldCount);
  const int32_t indexCount = LoadU16(bytes + kHdrIndexCount);
  const uint16_t flags = LoadU16(bytes + kHdrFlags);
  header->recordLength = static_cast<int32_t>(NativeLoadU32(bytes + kHdrRecordLength));
  header->dataOffset = static_cast<int32_t>(NativeLoadU32(bytes + kHdrDataOffset));
  header->slots = static_cast<int32_t>(NativeLoadU32(bytes + kHdrSlots));
  header->live = static_cast<int32_t>(NativeLoadU32(bytes + kHdrLive));
  if (header->dataOffset < kNativeHeaderSize ||
      static_cast<std::size_t>(header->dataOffset) > size || header->slots < 0) {
    return Fail(why, "header damaged");
  }
  NativeTableDef d;
  d.compressed = (flags & kNativeCompressed) != 0;
  d.systemFile = (flags & kNativeSystemFile) != 0;
  std::size_t pos = kNativeHeaderSize;
  const std::size_t end = static_cast<std::size_t>(header->dataOffset);
  for (int32_t i = 0; i < fieldCount; ++i, pos += kNativeFieldEntrySize) {
    if (pos + kNativeFieldEntrySize > end) return Fail(why, "definition cut short");
    const uint8_t* e = bytes + pos;
    NativeField f;
    for (int32_t c = 0; c < VV_ATTR_FIELD_NAME_MAX && e[kFldName + c] != 0; ++c) {
      f.name.push_back(static_cast<char>(e[kFldName + c]));
    }
    f.type = e[kFldType];
    f.decimals = e[kFldDecimals];
    f.length = LoadU16(e + kFldLength);
    f.offset = static_cast<int32_t>(NativeLoadU32(e + kFldOffset));
    f.mainIndex = LoadU16(e + kFldMainIndex);
    f.relatedFile = LoadU16(e + kFldRelatedFile);
    f.relatedField = LoadU16(e + kFldRelatedField);
    d.fields.push_back(std::move(f));
  }
  for (int32_t i = 0; i < indexCount; ++i) {
    if (pos + 2 > end) return Fail(why, "definition cut short");
    const int32_t segments = LoadU16(bytes + pos);
    pos += 2;
    if (segments > kMaxNativeSegments ||
        pos + static_cast<std::size_t>(segments) * kNativeSegmentEntrySize > end) {
      return Fail(why, "definition cut short");
    }
    NativeIndex index;
    for (int32_t s = 0; s < segments; ++s, pos += kNativeSegmentEntrySize) {
      NativeSegment seg;
      seg.field = LoadU16(bytes + pos);
      seg.descending = (bytes[pos + 2] & kSegDescending) != 0;
      seg.ignoreCase = (bytes[pos + 2] & kSegIgnoreCase) != 0;
      index.segments.push_back(seg);
    }
    d.indexes.push_back(std::move(index));
  }
  // The stored layout must be the one the definition gives.
  NativeTableDef checked = d;
  if (NativeLayout(&checked, why) != 0) return false;
  int32_t recordLength = 0;
  for (std::size_t i = 0; i < d.fields.size(); ++i) {
    const NativeField& f = checked.fields[i];
    if (f.offset != d.fields[i].offset || f.mainIndex != d.fields[i].mainIndex) {
      return Fail(why, "field " + std::to_string(i + 1) + " layout damaged");
    }
    if (f.type != VV_HOST_TYPE_OVERLAP) recordLength += f.size;
  }
  if (recordLength != header->recordLength) return Fail(why, "record length damaged");
  *def = std::move(checked);
  return true;
}

void NativeStoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t NativeLoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace vv::host

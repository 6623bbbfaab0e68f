// Native tables: field values in the record buffer and attributes.
#include <string>

#include "host/bcd.h"
#include "host/host_state.h"
#include "host/native_table.h"
#include "host/native_values.h"

namespace vv::host {
namespace {

// The record number field: a host number of 10 digits without bytes of its
// own in the record.
constexpr int32_t kRecnumLength = 10;
constexpr const char* kRecnumName = "RECNUM";
const NativeField kRecnumField = {kRecnumName, VV_HOST_TYPE_BCD, kRecnumLength, 0, 0, 0, 0, 0, 0};

const char* Meaning(int16_t rc) {
  switch (rc) {
    case kErrOverflow:
      return "value too large for the field";
    case kErrNotANumber:
      return "not a number";
    case kErrInvalidDate:
      return "not a day number";
    case kErrFieldType:
      return "binary field has no number";
    case kErrTableFormat:
      return "stored value damaged";
    default:
      return "invalid value";
  }
}

char Separator() {
  return CurrentState().decimalSeparator;
}

}  // namespace

int16_t NativeTable::CheckField(int32_t field) const {
  if (field < 0 || field > static_cast<int32_t>(def_.fields.size())) {
    return HostErrorSet(kErrBadFieldNumber, (name_ + ": field " + std::to_string(field)).c_str());
  }
  return 0;
}

int32_t NativeTable::TextCapacity(int32_t field) const {
  if (field <= 0 || field > static_cast<int32_t>(def_.fields.size())) return kRecnumLength + 1;
  return FieldTextCapacity(def_.fields[static_cast<std::size_t>(field - 1)]);
}

int16_t NativeTable::GetText(int32_t field, int32_t offset, int32_t length, std::string* out) {
  out->clear();
  if (int16_t rc = CheckField(field)) return rc;
  std::string text;
  if (field == 0) {
    text = std::to_string(bufferRecnum_);
  } else {
    const NativeField& f = def_.fields[static_cast<std::size_t>(field - 1)];
    if (int16_t rc = FieldGetText(f, buffer_.data(), Separator(), &text)) {
      return HostErrorSet(rc, (name_ + "." + f.name + ": " + Meaning(rc)).c_str());
    }
  }
  if (offset < 0 || length < 0) {
    return HostErrorSet(kErrBadArgument, (name_ + ": offset or length below 0").c_str());
  }
  if (static_cast<std::size_t>(offset) < text.size()) {
    *out = text.substr(static_cast<std::size_t>(offset),
                       length == 0 ? std::string::npos : static_cast<std::size_t>(length));
  }
  return 0;
}

int16_t NativeTable::PutText(int32_t field, std::string_view text, int32_t offset, bool keepEnd) {
  if (int16_t rc = CheckField(field)) return rc;
  if (field == 0) {
    VvBcd value;
    int16_t rc = BcdFromText(text, Separator(), &value);
    return rc != 0 ? HostErrorSet(rc, (name_ + "." + kRecnumName + ": " + Meaning(rc)).c_str())
                   : PutBcd(0, value);
  }
  const NativeField& f = def_.fields[static_cast<std::size_t>(field - 1)];
  if (offset < 0) return HostErrorSet(kErrBadArgument, (name_ + ": offset below 0").c_str());
  if (int16_t rc = FieldPutText(f, text, offset, keepEnd, Separator(), buffer_.data())) {
    return HostErrorSet(rc, (name_ + "." + f.name + ": " + Meaning(rc)).c_str());
  }
  touched_ = true;
  if (state_ == VV_RECORD_FOUND) state_ = VV_RECORD_CHANGED;
  return 0;
}

int16_t NativeTable::GetBcd(int32_t field, VvBcd* out) {
  if (int16_t rc = CheckField(field)) return rc;
  if (field == 0) return BcdFromInt(bufferRecnum_, out);
  const NativeField& f = def_.fields[static_cast<std::size_t>(field - 1)];
  if (int16_t rc = FieldGetBcd(f, buffer_.data(), Separator(), out)) {
    return HostErrorSet(rc, (name_ + "." + f.name + ": " + Meaning(rc)).c_str());
  }
  return 0;
}

int16_t NativeTable::PutBcd(int32_t field, const VvBcd& value) {
  if (int16_t rc = CheckField(field)) return rc;
  if (field == 0) {
    int32_t recnum = 0;
    int16_t rc = BcdToInt(value, &recnum);
    if (rc == 0 && recnum < 0) rc = kErrOverflow;
    if (rc != 0) return HostErrorSet(rc, (name_ + "." + kRecnumName + ": " + Meaning(rc)).c_str());
    bufferRecnum_ = recnum;
  } else {
    const NativeField& f = def_.fields[static_cast<std::size_t>(field - 1)];
    if (int16_t rc = FieldPutBcd(f, value, Separator(), buffer_.data())) {
      return HostErrorSet(rc, (name_ + "." + f.name + ": " + Meaning(rc)).c_str());
    }
  }
  touched_ = true;
  if (state_ == VV_RECORD_FOUND) state_ = VV_RECORD_CHANGED;
  return 0;
}

int16_t NativeTable::AttrGetNumeric(int32_t n1, int32_t n2, int32_t attr, int32_t* out) const {
  *out = 0;
  const auto fieldCount = static_cast<int32_t>(def_.fields.size());
  const auto indexCount = static_cast<int32_t>(def_.indexes.size());
  if (attr >= VV_ATTR_FIELD_TYPE && attr <= VV_ATTR_FIELD_SIZE) {
    if (n1 < 0 || n1 > fieldCount) return kErrBadFieldNumber;
    const NativeField& f = n1 == 0 ? kRecnumField : def_.fields[static_cast<std::size_t>(n1 - 1)];
    switch (attr) {
      case VV_ATTR_FIELD_TYPE:
        *out = f.type;
        return 0;
      case VV_ATTR_FIELD_LENGTH:
        *out = f.length;
        return 0;
      case VV_ATTR_FIELD_PRECISION:
        *out = f.decimals;
        return 0;
      case VV_ATTR_FIELD_RELATED_FILE:
        *out = f.relatedFile;
        return 0;
      case VV_ATTR_FIELD_RELATED_FIELD:
        *out = f.relatedField;
        return 0;
      case VV_ATTR_FIELD_MAIN_INDEX:
        *out = f.mainIndex;
        return 0;
      case VV_ATTR_FIELD_OFFSET:
        *out = f.offset;
        return 0;
      case VV_ATTR_FIELD_SIZE:
        *out = f.size;
        return 0;
      default:
        return kErrNotSupported;
    }
  }
  if (attr == VV_ATTR_INDEX_SEGMENTS || attr == VV_ATTR_SEGMENT_DESCENDING ||
      attr == VV_ATTR_SEGMENT_IGNORE_CASE || attr == VV_ATTR_SEGMENT_FIELD) {
    if (n1 < 0 || n1 > indexCount) return kErrBadIndexNumber;
    const NativeIndex& index = IndexDef(n1);
    if (attr == VV_ATTR_INDEX_SEGMENTS) {
      *out = static_cast<int32_t>(index.segments.size());
      return 0;
    }
    if (n2 < 1 || n2 > static_cast<int32_t>(index.segments.size())) return kErrBadIndexNumber;
    const NativeSegment& seg = index.segments[static_cast<std::size_t>(n2 - 1)];
    *out = attr == VV_ATTR_SEGMENT_DESCENDING    ? seg.descending
           : attr == VV_ATTR_SEGMENT_IGNORE_CASE ? seg.ignoreCase
                                                 : seg.field;
    return 0;
  }
  switch (attr) {
    case VV_HOST_ATTR_CREATE_FORBIDDEN:
      *out = conversionForbidden_ ? 1 : 0;
      return 0;
    case VV_ATTR_FILE_RECORD_STATE:
      *out = state_;
      return 0;
    case VV_ATTR_FILE_RECORDS:
      *out = liveCount_;
      return 0;
    case VV_ATTR_FILE_COMPRESSION:
      *out = def_.compressed ? 1 : 0;
      return 0;
    case VV_ATTR_FILE_INDEXES:
      *out = indexCount;
      return 0;
    case VV_ATTR_FILE_FIELDS:
      *out = fieldCount;
      return 0;
    case VV_ATTR_FILE_SYSTEM:
      *out = def_.systemFile ? 1 : 0;
      return 0;
    default:
      return kErrNotSupported;
  }
}

int16_t NativeTable::AttrGetString(int32_t n1, int32_t, int32_t attr, std::string* out) const {
  out->clear();
  if (attr == VV_ATTR_FILE_PHYSICAL_NAME) {
    *out = path_;
    return 0;
  }
  if (attr == VV_ATTR_FIELD_NAME) {
    if (n1 < 0 || n1 > static_cast<int32_t>(def_.fields.size())) return kErrBadFieldNumber;
    *out = n1 == 0 ? kRecnumField.name : def_.fields[static_cast<std::size_t>(n1 - 1)].name;
    return 0;
  }
  return kErrNotSupported;
}

int16_t NativeTable::AttrSetNumeric(int32_t, int32_t, int32_t attr, int32_t value) {
  if (attr == VV_ATTR_FILE_RECORD_STATE) {
    if (value != VV_RECORD_NONE) return kErrBadAttributeValue;
    DropFound();
    return 0;
  }
  if (attr == VV_HOST_ATTR_CREATE_FORBIDDEN) {
    conversionForbidden_ = value != 0;
    return 0;
  }
  return kErrNotSupported;
}

}  // namespace vv::host

#include "vv/records.h"

#include "host/bcd.h"
#include "host/host_errors.h"
#include "veverave/btrieve.h"
#include "veverave/host_services.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

// Directions of btrFieldFill: 1 the lowest value of the field's type in key
// order, anything else the highest.
constexpr int32_t kFillLow = 1;
constexpr int32_t kFillHigh = 2;

}  // namespace

std::string HostTypesFromDriver(Session& session, int32_t handle, TableInfo* table) {
  host::Host& host = session.host();
  for (FieldInfo& field : table->fields) {
    host.ClearError();
    const int32_t type = host.Attribute(handle, VV_ATTR_FIELD_TYPE, field.number);
    const int32_t length =
        host.error() == 0 ? host.Attribute(handle, VV_ATTR_FIELD_LENGTH, field.number) : 0;
    if (host.error() != 0) {
      const std::string why = session.TakeError();
      for (FieldInfo& f : table->fields) f.hostType = kHostTypeUnknown;
      return "the driver did not give the fields' attributes: " + why;
    }
    field.hostType = type;
    field.hostLength = length;
  }
  return "";
}

bool EndOfIndex(int16_t error) {
  return error == VV_HOST_ERR_BEGINNING_OF_FILE || error == VV_HOST_ERR_END_OF_FILE;
}

bool ReadRecord(Session& session, int32_t handle, const TableInfo& table,
                std::vector<std::string>* values) {
  values->clear();
  std::string raw;
  if (!session.Get(handle, 0, &raw)) return false;
  const std::size_t begin = raw.find_first_not_of(' ');
  values->push_back(begin == std::string::npos ? "" : raw.substr(begin));
  for (const FieldInfo& field : table.fields) {
    if (!session.Get(handle, field.number, &raw)) return false;
    values->push_back(ShowValue(field, raw));
  }
  return true;
}

bool PutValue(Session& session, int32_t handle, const FieldInfo& field, const std::string& text) {
  VvBcd value = host::BcdZero();
  switch (KindOf(field)) {
    case ValueKind::kNumber:
      if (const int16_t rc = host::BcdFromText(text, session.host().decimal_separator(), &value)) {
        ReportError(rc, field.name + ": \"" + text + "\" is no number for the field");
        return false;
      }
      break;
    case ValueKind::kDate: {
      int32_t day = 0;
      if (!ParseDayNumber(text, &day)) {
        ReportError(host::kErrInvalidDate,
                    field.name + ": \"" + text + "\" is no date (YYYY-MM-DD)");
        return false;
      }
      host::BcdFromInt(day, &value);
      break;
    }
    default:
      return session.tables().Put(handle, field.number, text) == 0;
  }
  return session.tables().PutBcd(handle, field.number, value) == 0;
}

int16_t FindFirst(Session& session, int32_t handle, const TableInfo& table, int32_t index,
                  const std::optional<std::string>& from) {
  host::TableManager& tables = session.tables();
  if (const int16_t rc = tables.Clear(handle)) return rc;
  // A cleared buffer finds from an end of the index.
  if (!from) return tables.Find(handle, index, VV_FIND_GE);
  if (index == 0) {
    FieldInfo recordNumber;
    recordNumber.name = "record number";
    recordNumber.btrType = BTR_TYPE_INTEGER;
    if (!PutValue(session, handle, recordNumber, *from)) return session.host().error();
    return tables.Find(handle, 0, VV_FIND_EQ);
  }
  const IndexInfo* info = table.Index(index);
  const FieldInfo* field =
      info != nullptr && !info->segments.empty() ? table.Field(info->segments[0].field) : nullptr;
  if (field == nullptr) {
    return ReportError(host::kErrBadIndexNumber,
                       table.name + ": index " + std::to_string(index) + " has no first field");
  }
  if (!PutValue(session, handle, *field, *from)) return session.host().error();
  // The other segments start where the index does for that value: each
  // field at its lowest value, or its highest where the segment descends.
  for (std::size_t s = 1; s < info->segments.size(); ++s) {
    const bool descending = (info->segments[s].keyFlags & BTR_KEY_DESCENDING) != 0;
    session.driver().btrFieldFill(handle, info->segments[s].field,
                                  descending ? kFillHigh : kFillLow);
    if (session.host().error() != 0) return session.host().error();
  }
  // A greater-or-equal find past the last key gives the last record, so the
  // start is the record after the last one before the value; when nothing
  // lies before it, the first record of the index.
  const int16_t rc = tables.Find(handle, index, VV_FIND_LT);
  if (rc == 0) return tables.Find(handle, index, VV_FIND_GT);
  if (rc != VV_HOST_ERR_BEGINNING_OF_FILE) return rc;
  session.host().ClearError();
  if (const int16_t cleared = tables.Clear(handle)) return cleared;
  return tables.Find(handle, index, VV_FIND_GE);
}

}  // namespace vv::tools

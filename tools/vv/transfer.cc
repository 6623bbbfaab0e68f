#include "vv/transfer.h"

#include "host/bcd.h"
#include "host/host_errors.h"
#include "veverave/host_services.h"
#include "vv/records.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

std::string WithoutTrailingBlanks(std::string text) {
  text.erase(text.find_last_not_of(std::string(" \0", 2)) + 1);
  return text;
}

// Reads a number or date field as the host's number.
bool GetNumber(Session& session, int32_t handle, const FieldInfo& field, VvBcd* value) {
  session.host().ClearError();
  session.tables().GetBcd(handle, field.number, value);
  return session.host().error() == 0;
}

}  // namespace

std::string CsvValueOf(const FieldInfo& field, const std::string& raw) {
  const std::string shown = ShowValue(field, raw);
  return KindOf(field) == ValueKind::kBinary ? HexText(shown) : shown;
}

bool PutCsvValue(Session& session, int32_t handle, const FieldInfo& field,
                 const std::string& text) {
  switch (KindOf(field)) {
    case ValueKind::kDate:
      // An empty cell is the empty date.
      if (text.empty()) return session.tables().PutBcd(handle, field.number, host::BcdZero()) == 0;
      return PutValue(session, handle, field, text);
    case ValueKind::kBinary: {
      std::string bytes;
      if (!ParseHex(text, &bytes)) {
        ReportError(host::kErrTextFormat, field.name + ": \"" + text + "\" is no hex digits");
        return false;
      }
      return session.tables().Put(handle, field.number, bytes) == 0;
    }
    default:
      return PutValue(session, handle, field, text);
  }
}

bool CheckCsvValue(Session& session, int32_t handle, const FieldInfo& field,
                   const std::string& text) {
  bool kept = false;
  std::string raw;
  switch (KindOf(field)) {
    case ValueKind::kNumber:
    case ValueKind::kDate: {
      VvBcd given = host::BcdZero();
      VvBcd held = host::BcdZero();
      int32_t day = 0;
      if (KindOf(field) == ValueKind::kNumber) {
        host::BcdFromText(text, session.host().decimal_separator(), &given);
      } else if (!text.empty() && ParseDayNumber(text, &day)) {
        host::BcdFromInt(day, &given);
      }
      if (!GetNumber(session, handle, field, &held)) return false;
      kept = host::BcdCompare(given, held) == 0;
      break;
    }
    case ValueKind::kText:
      if (!session.Get(handle, field.number, &raw)) return false;
      kept = ShowValue(field, raw) == WithoutTrailingBlanks(text);
      break;
    case ValueKind::kBinary: {
      std::string bytes;
      if (!session.Get(handle, field.number, &raw)) return false;
      kept = ParseHex(text, &bytes) && raw == bytes;
      break;
    }
    case ValueKind::kLongText:
      if (!session.Get(handle, field.number, &raw)) return false;
      kept = raw == text;
      break;
  }
  if (kept) return true;
  session.Get(handle, field.number, &raw);
  ReportError(host::kErrValueNotKept, field.name + ": the field cannot keep \"" + text +
                                          "\" (it would hold \"" + CsvValueOf(field, raw) + "\")");
  return false;
}

bool Overlays(const TableInfo& table, std::size_t i) {
  const FieldInfo& f = table.fields[i];
  if (f.hostType == VV_HOST_TYPE_OVERLAP) return true;
  for (std::size_t j = 0; j < i; ++j) {
    const FieldInfo& g = table.fields[j];
    if (f.offset < g.offset + g.size && g.offset < f.offset + f.size) return true;
  }
  return false;
}

}  // namespace vv::tools

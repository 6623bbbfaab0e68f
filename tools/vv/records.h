// Records of a table open under a handle, read and written field by field
// through the host's table manager (and so through the driver).
#ifndef VEVERAVE_TOOLS_VV_RECORDS_H_
#define VEVERAVE_TOOLS_VV_RECORDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vv/dictionary.h"
#include "vv/session.h"

namespace vv::tools {

// Asks the driver for the host type and length of every field of the table
// open under handle (field attributes). Empty when it gave them all, else
// why not; the fields then keep kHostTypeUnknown, and their values go by
// their Btrieve types (values.h).
std::string HostTypesFromDriver(Session& session, int32_t handle, TableInfo* table);

// True for the errors of a find that ran off an end of its index (41, 42).
bool EndOfIndex(int16_t error);

// The record in the buffer, made ready to show (values.h): the record number
// (field 0) first, then every field of the table. False with the error
// pending.
bool ReadRecord(Session& session, int32_t handle, const TableInfo& table,
                std::vector<std::string>* values);

// Puts a value given as text into a field: text as it is, numbers as the
// host's number made from the text, dates as the day number of YYYY-MM-DD
// (or a day number). The driver takes text only into text fields; the host
// converts numbers and dates, as a host runtime does. False with the error
// pending (14 or 11 for text that is no number or too large, 16 for a date
// that is none).
bool PutValue(Session& session, int32_t handle, const FieldInfo& field, const std::string& text);

// Finds the first record along a host index: the first of the index, or,
// with from, the first whose key is not before from in the index's order
// (from is put into the index's first field, the other segments' fields
// are filled with the value the index starts with; on index 0 from is the
// record number to start at). Returns 0 or the error, which is pending.
int16_t FindFirst(Session& session, int32_t handle, const TableInfo& table, int32_t index,
                  const std::optional<std::string>& from);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_RECORDS_H_

// The demo's sample database: a customers table and an orders table, their
// definitions for the dictionary builder and their first records.
#ifndef VEVERAVE_TOOLS_VV_DEMO_DATA_H_
#define VEVERAVE_TOOLS_VV_DEMO_DATA_H_

#include <string>
#include <vector>

#include "ddf/dictionary_builder.h"

namespace vv::tools {

// A record as field name and value pairs; dates as YYYY-MM-DD.
using SampleRecord = std::vector<std::pair<std::string, std::string>>;

struct SampleTable {
  ddf::TableDef definition;
  std::vector<SampleRecord> records;
};

// CUSTOMER: a number, text, a decimal number, a date and long text; a
// unique index and a case-insensitive one with duplicates.
SampleTable SampleCustomers();
// ORDERS: numbers, a date, text; a unique index, one with duplicates and a
// segmented one (customer, then date newest first).
SampleTable SampleOrders();

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_DEMO_DATA_H_

#include "vv/demo_data.h"

#include "veverave/btrieve.h"

namespace vv::tools {

SampleTable SampleCustomers() {
  SampleTable t;
  t.definition.name = "CUSTOMER";
  t.definition.file = "CUSTOMER.BTR";
  t.definition.fields = {
      {"ID", BTR_TYPE_INTEGER, 4},   {"NAME", BTR_TYPE_STRING, 24},
      {"CITY", BTR_TYPE_STRING, 16}, {"BALANCE", BTR_TYPE_DECIMAL, 6, 2},
      {"SINCE", BTR_TYPE_DATE, 4},   {"NOTES", BTR_TYPE_LONGVAR, 8},
  };
  t.definition.indexes = {
      {{{"ID"}}},
      {{{"NAME", BTR_KEY_NO_CASE}}, BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE},
  };
  t.records = {
      {{"ID", "1"},
       {"NAME", "Alder & Sons"},
       {"CITY", "Leeds"},
       {"BALANCE", "1250.00"},
       {"SINCE", "2019-03-14"},
       {"NOTES",
        "Pays on the first of the month. Deliveries before noon, at the loading dock "
        "behind the shop; call ahead."}},
      {{"ID", "2"},
       {"NAME", "Birchwood Bakery"},
       {"CITY", "Lyon"},
       {"BALANCE", "80.50"},
       {"SINCE", "2020-11-02"}},
      {{"ID", "3"},
       {"NAME", "Cedar Point Cafe"},
       {"CITY", "Porto"},
       {"BALANCE", "0"},
       {"SINCE", "2021-06-30"}},
      {{"ID", "4"},
       {"NAME", "Dunmore Hardware"},
       {"CITY", "Cork"},
       {"BALANCE", "315.75"},
       {"SINCE", "2018-01-09"},
       {"NOTES", "Wants invoices by post."}},
      {{"ID", "5"},
       {"NAME", "Elm Street Books"},
       {"CITY", "Ghent"},
       {"BALANCE", "42.00"},
       {"SINCE", "2022-09-21"}},
  };
  return t;
}

SampleTable SampleOrders() {
  SampleTable t;
  t.definition.name = "ORDERS";
  t.definition.file = "ORDERS.BTR";
  t.definition.fields = {
      {"ORDER_NO", BTR_TYPE_INTEGER, 4}, {"CUSTOMER_ID", BTR_TYPE_INTEGER, 4},
      {"ORDERED", BTR_TYPE_DATE, 4},     {"AMOUNT", BTR_TYPE_DECIMAL, 6, 2},
      {"ITEM", BTR_TYPE_STRING, 20},
  };
  t.definition.indexes = {
      {{{"ORDER_NO"}}},
      {{{"ORDERED"}}, BTR_KEY_DUPLICATES},
      {{{"CUSTOMER_ID"}, {"ORDERED", BTR_KEY_DESCENDING}}, BTR_KEY_DUPLICATES},
  };
  const char* rows[][5] = {
      {"1001", "1", "2024-01-15", "249.00", "Oak shelving"},
      {"1002", "2", "2024-01-20", "36.40", "Flour, 25 kg"},
      {"1003", "1", "2024-02-03", "89.90", "Brackets"},
      {"1004", "4", "2024-02-03", "512.00", "Workbench"},
      {"1005", "3", "2024-02-18", "18.75", "Coffee filters"},
      {"1006", "2", "2024-03-01", "72.80", "Flour, 50 kg"},
      {"1007", "5", "2024-03-01", "120.00", "Reading lamps"},
      {"1008", "1", "2024-03-12", "64.50", "Hinges"},
  };
  for (const auto& row : rows) {
    SampleRecord record;
    for (std::size_t f = 0; f < t.definition.fields.size(); ++f) {
      record.emplace_back(t.definition.fields[f].name, row[f]);
    }
    t.records.push_back(record);
  }
  return t;
}

}  // namespace vv::tools

// vv demo: builds a small sample database, opens its tables by name through
// the reference host and walks through what the driver does, printing each
// step: saves, finds in all five modes, walks along indexes, an update in a
// transaction, a delete, long text.
//
// The demo is a host program like any other: it reaches the driver only
// through the host's table manager and the driver's entry points.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ddf/dictionary_builder.h"
#include "host/host_errors.h"
#include "platform/platform.h"
#include "veverave/btrieve.h"
#include "veverave/ddf_layout.h"
#include "veverave/driver.h"
#include "veverave/host_services.h"
#include "vv/commands.h"
#include "vv/demo_data.h"
#include "vv/dictionary.h"
#include "vv/init.h"
#include "vv/records.h"
#include "vv/session.h"
#include "vv/text_grid.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

using Align = TextGrid::Align;

// Widest cell of the demo's listings.
constexpr std::size_t kCellWidth = 32;

const char* ModeName(int32_t mode) {
  switch (mode) {
    case VV_FIND_LT:
      return "less than";
    case VV_FIND_LE:
      return "less or equal";
    case VV_FIND_EQ:
      return "equal";
    case VV_FIND_GE:
      return "greater or equal";
    case VV_FIND_GT:
      return "greater than";
    default:
      return "?";
  }
}

void Step(int number, const std::string& title) {
  std::printf("\n%d. %s\n", number, title.c_str());
}

// One table of the demo: its dictionary entry and its handle.
struct DemoTable {
  TableInfo info;
  int32_t handle = 0;
};

class Demo {
 public:
  explicit Demo(Session& session) : session_(session) {}

  // Every step in turn; false with the error pending.
  bool Run() {
    return Build() && OpenTables() && Load() && FindModes() && Walks() && Segmented() &&
           SaveNew() && Update() && Delete() && LongText();
  }

 private:
  const FieldInfo* Field(const DemoTable& table, const std::string& name) {
    for (const FieldInfo& f : table.info.fields) {
      if (f.name == name) return &f;
    }
    ReportError(host::kErrBadFieldNumber, table.info.name + " has no field " + name);
    return nullptr;
  }

  bool Put(const DemoTable& table, const std::string& name, const std::string& value) {
    const FieldInfo* field = Field(table, name);
    return field != nullptr && PutValue(session_, table.handle, *field, value);
  }

  bool Value(const DemoTable& table, const std::string& name, std::string* value) {
    const FieldInfo* field = Field(table, name);
    if (field == nullptr || !session_.Get(table.handle, field->number, value)) return false;
    *value = ShowValue(*field, *value);
    return true;
  }

  // Clear, put one key value, find.
  int16_t FindBy(const DemoTable& table, int32_t index, const std::string& field,
                 const std::string& value, int32_t mode) {
    if (const int16_t rc = session_.tables().Clear(table.handle)) return rc;
    if (!Put(table, field, value)) return session_.host().error();
    return session_.tables().Find(table.handle, index, mode);
  }

  // The columns of a listing of table: the record number and every field.
  static TextGrid Listing(const DemoTable& table, const std::string& indent = "     ") {
    std::vector<TextGrid::Column> columns = {{"#", Align::kRight}};
    for (const FieldInfo& f : table.info.fields) {
      columns.push_back({f.name, KindOf(f) == ValueKind::kNumber ? Align::kRight : Align::kLeft});
    }
    return TextGrid(columns, indent);
  }

  bool AddRow(const DemoTable& table, TextGrid* grid) {
    std::vector<std::string> values;
    if (!ReadRecord(session_, table.handle, table.info, &values)) return false;
    for (std::string& v : values) v = CellText(v, kCellWidth);
    grid->Add(values);
    return true;
  }

  // Lists the records met by a first find and then repeated finds in mode
  // `next` until one runs off the index (which is printed).
  bool Walk(const DemoTable& table, int32_t index, int32_t first, int32_t next) {
    TextGrid grid = Listing(table);
    session_.tables().Clear(table.handle);
    int16_t rc = session_.tables().Find(table.handle, index, first);
    while (rc == 0) {
      if (!AddRow(table, &grid)) return false;
      rc = session_.tables().Find(table.handle, index, next);
    }
    if (!EndOfIndex(rc)) return false;
    grid.Print(stdout);
    std::printf("     then %s\n", session_.TakeError().c_str());
    return true;
  }

  bool Build() {
    customers_.info.name = SampleCustomers().definition.name;
    orders_.info.name = SampleOrders().definition.name;
    Step(1, "An empty dictionary and the driver's settings file (what \"vv init\" makes)");
    // The tables' files would be made anew: files of those names are kept.
    for (const SampleTable& t : {SampleCustomers(), SampleOrders()}) {
      platform::PathParts file = platform::SplitPath(t.definition.file);
      file.dir = session_.dir();
      if (platform::FileExists(platform::JoinPath(file))) {
        ReportError(host::kErrTableExists, platform::JoinPath(file) + " already exists");
        return false;
      }
    }
    if (!InitDataDirectory(session_.dir())) return false;
    std::printf("     %s, %s, %s, %s\n", kDdfFileName, kDdfFieldName,
                kDdfIndexName, kSettingsFile);
    std::string error;
    {
      std::unique_ptr<ddf::DictionaryBuilder> builder =
          ddf::DictionaryBuilder::Open(session_.dir(), &error);
      for (const SampleTable& t : {SampleCustomers(), SampleOrders()}) {
        if (!builder || !builder->AddTable(t.definition)) {
          if (builder) error = builder->error();
          ReportError(host::kErrTextFileWrite, t.definition.name + " cannot be made: " + error);
          return false;
        }
      }
    }
    Dictionary dictionary;
    if (!dictionary.Read(session_.dir())) return false;
    for (DemoTable* t : {&customers_, &orders_}) {
      const TableInfo* info = dictionary.Require(t->info.name);
      if (info == nullptr) return false;
      t->info = *info;
    }
    Step(2, "Two tables in the dictionary, each with its Btrieve file");
    for (const DemoTable* t : {&customers_, &orders_}) {
      std::string fields;
      for (const FieldInfo& f : t->info.fields) {
        fields += (fields.empty() ? "" : ", ") + f.name + " " + BtrTypeName(f.btrType);
      }
      std::printf("     %-9s %s\n", t->info.name.c_str(), fields.c_str());
      for (const IndexInfo& index : t->info.indexes) {
        std::string text;
        for (const SegmentInfo& s : index.segments) {
          const FieldInfo* f = t->info.Field(s.field);
          text += (text.empty() ? "" : " + ") + (f != nullptr ? f->name : "?");
          if ((s.keyFlags & BTR_KEY_DESCENDING) != 0) text += " descending";
          if ((s.keyFlags & BTR_KEY_NO_CASE) != 0) text += " (any case)";
        }
        const bool dup =
            !index.segments.empty() && (index.segments[0].keyFlags & BTR_KEY_DUPLICATES) != 0;
        std::printf("               index %d: %s%s\n", index.number, text.c_str(),
                    dup ? ", duplicates allowed" : ", unique");
      }
    }
    return true;
  }

  bool OpenTables() {
    if (!session_.LoadDriver()) return false;
    Step(3, "The host loads the driver and opens the tables by name");
    for (DemoTable* t : {&customers_, &orders_}) {
      t->handle = session_.Open(t->info.name);
      if (t->handle == 0) return false;
      std::printf("     %s:%s -> handle %d\n", VV_DRIVER_NAME, t->info.name.c_str(), t->handle);
    }
    return true;
  }

  bool LoadTable(DemoTable& table, const SampleTable& sample) {
    for (const SampleRecord& record : sample.records) {
      if (session_.tables().Clear(table.handle) != 0) return false;
      for (const auto& [name, value] : record) {
        if (!Put(table, name, value)) return false;
      }
      if (session_.tables().Save(table.handle) != 0) return false;
    }
    return true;
  }

  bool Load() {
    Step(4, "Saving records: clear the buffer, put each field, save");
    if (!LoadTable(customers_, SampleCustomers()) || !LoadTable(orders_, SampleOrders())) {
      return false;
    }
    std::printf("   %s, along index 1:\n", customers_.info.name.c_str());
    if (!Walk(customers_, 1, VV_FIND_GE, VV_FIND_GT)) return false;
    std::printf("   %s, along index 1:\n", orders_.info.name.c_str());
    return Walk(orders_, 1, VV_FIND_GE, VV_FIND_GT);
  }

  bool FindModes() {
    Step(5, "Finds in the five modes on ORDERS index 1, with ORDER_NO put into the buffer");
    TextGrid grid({{"key"}, {"mode"}, {"result"}}, "     ");
    const std::pair<const char*, int32_t> finds[] = {
        {"1004", VV_FIND_LT}, {"1004", VV_FIND_LE}, {"1004", VV_FIND_EQ},
        {"1004", VV_FIND_GE}, {"1004", VV_FIND_GT}, {"1010", VV_FIND_EQ},
        {"1010", VV_FIND_GE}, {"1010", VV_FIND_GT}, {"1000", VV_FIND_LT},
    };
    for (const auto& [key, mode] : finds) {
      const int16_t rc = FindBy(orders_, 1, "ORDER_NO", key, mode);
      std::string result;
      if (rc == 0) {
        std::string number, item;
        if (!Value(orders_, "ORDER_NO", &number) || !Value(orders_, "ITEM", &item)) return false;
        result = "found ORDER_NO " + number + " (" + item + ")";
      } else if (rc == VV_HOST_ERR_NOT_FOUND || EndOfIndex(rc)) {
        result = session_.TakeError();
      } else {
        return false;
      }
      grid.Add({key, std::to_string(mode) + " " + ModeName(mode), result});
    }
    grid.Print(stdout);
    std::printf("   (greater or equal past the last key gives the last record)\n");
    return true;
  }

  bool Walks() {
    Step(6, "Walking ORDERS along index 2 (ORDERED, duplicates allowed)");
    std::printf("   forward: a cleared buffer finds the first record; then greater than\n");
    if (!Walk(orders_, 2, VV_FIND_GE, VV_FIND_GT)) return false;
    std::printf("   back: from the last record (less or equal), then less than\n");
    return Walk(orders_, 2, VV_FIND_LE, VV_FIND_LT);
  }

  bool Segmented() {
    Step(7, "Segmented index 3 (CUSTOMER_ID + ORDERED descending): customer 1, newest first");
    std::printf(
        "   put CUSTOMER_ID 1, fill ORDERED with its highest value, greater or equal;\n"
        "   then greater than while CUSTOMER_ID is 1\n");
    const FieldInfo* ordered = Field(orders_, "ORDERED");
    if (ordered == nullptr) return false;
    session_.tables().Clear(orders_.handle);
    if (!Put(orders_, "CUSTOMER_ID", "1")) return false;
    // Any fill direction other than 1 (low) fills with the highest value.
    session_.driver().btrFieldFill(orders_.handle, ordered->number, 2);
    if (session_.host().error() != 0) return false;
    TextGrid grid = Listing(orders_);
    int16_t rc = session_.tables().Find(orders_.handle, 3, VV_FIND_GE);
    std::string customer;
    while (rc == 0 && Value(orders_, "CUSTOMER_ID", &customer) && customer == "1") {
      if (!AddRow(orders_, &grid)) return false;
      rc = session_.tables().Find(orders_.handle, 3, VV_FIND_GT);
    }
    if (session_.host().error() != 0 && !EndOfIndex(session_.host().error())) return false;
    session_.host().ClearError();
    grid.Print(stdout);
    return true;
  }

  bool SaveNew() {
    Step(8, "Saving a new record: clear, put, save");
    const SampleRecord record = {{"ORDER_NO", "1009"},
                                 {"CUSTOMER_ID", "3"},
                                 {"ORDERED", "2024-03-15"},
                                 {"AMOUNT", "27.30"},
                                 {"ITEM", "Espresso cups"}};
    if (session_.tables().Clear(orders_.handle) != 0) return false;
    for (const auto& [name, value] : record) {
      if (!Put(orders_, name, value)) return false;
    }
    if (session_.tables().Save(orders_.handle) != 0) return false;
    TextGrid grid = Listing(orders_);
    if (!AddRow(orders_, &grid)) return false;
    grid.Print(stdout);
    return true;
  }

  bool Update() {
    Step(9, "Updating a record inside a transaction: find, put, save, commit");
    VvDriverFuncTable& driver = session_.driver();
    if (driver.btrTransactionStart() != 0) return false;
    std::string before, after;
    bool done = FindBy(orders_, 1, "ORDER_NO", "1005", VV_FIND_EQ) == 0 &&
                Value(orders_, "AMOUNT", &before) && Put(orders_, "AMOUNT", "21.25") &&
                session_.tables().Save(orders_.handle) == 0;
    if (!done) {
      const std::string why = session_.TakeError();
      driver.btrTransactionAbort();
      session_.host().ClearError();
      ReportError(host::kErrInternal, "the update failed: " + why);
      return false;
    }
    if (driver.btrTransactionCommit() != 0) return false;
    if (FindBy(orders_, 1, "ORDER_NO", "1005", VV_FIND_EQ) != 0 ||
        !Value(orders_, "AMOUNT", &after)) {
      return false;
    }
    std::printf("     ORDER_NO 1005: AMOUNT %s -> %s (found again after the commit)\n",
                before.c_str(), after.c_str());
    return true;
  }

  bool Delete() {
    Step(10, "Deleting a record: find it, delete");
    if (FindBy(orders_, 1, "ORDER_NO", "1002", VV_FIND_EQ) != 0) return false;
    std::string item;
    if (!Value(orders_, "ITEM", &item)) return false;
    if (session_.tables().Delete(orders_.handle) != 0) return false;
    std::printf("     deleted ORDER_NO 1002 (%s)\n", item.c_str());
    const int16_t rc = FindBy(orders_, 1, "ORDER_NO", "1002", VV_FIND_EQ);
    if (rc != VV_HOST_ERR_NOT_FOUND) {
      if (rc == 0) ReportError(host::kErrInternal, "ORDER_NO 1002 is still found after its delete");
      return false;
    }
    std::printf("     an equal find for it now gives %s\n", session_.TakeError().c_str());
    return true;
  }

  bool LongText() {
    Step(11, "Long text: CUSTOMER found by NAME (index 2 ignores case)");
    if (FindBy(customers_, 2, "NAME", "alder & sons", VV_FIND_EQ) != 0) return false;
    std::string name, city, notes;
    if (!Value(customers_, "NAME", &name) || !Value(customers_, "CITY", &city) ||
        !Value(customers_, "NOTES", &notes)) {
      return false;
    }
    std::printf("     equal find for \"alder & sons\": %s, %s\n", name.c_str(), city.c_str());
    std::printf("     NOTES (%s characters): %s\n", std::to_string(notes.size()).c_str(),
                notes.c_str());
    return true;
  }

  Session& session_;
  DemoTable customers_;
  DemoTable orders_;
};

}  // namespace

int DemoCommand(const CommandLine& line) {
  const bool keep = !line.operands.empty();
  std::string dir;
  if (keep) {
    dir = line.operands[0];
  } else {
    const std::optional<std::string> temp = platform::MakeTempDirectory("vvdemo");
    if (!temp) {
      std::fprintf(stderr, "error %d: no temporary directory can be made\n",
                   static_cast<int>(host::kErrTextFileWrite));
      return kExitError;
    }
    dir = *temp;
  }
  std::printf("veverave demo: a sample database in %s%s\n", dir.c_str(),
              keep ? "" : " (removed at the end)");
  int code = kExitOk;
  {
    Session session(dir);
    Demo demo(session);
    if (!demo.Run()) code = session.Fail();
  }
  if (!keep) platform::RemoveTree(dir);
  if (code == kExitOk) {
    std::printf("\nDone: tables closed, driver ended%s.\n",
                keep ? "; look again with \"vv --data DIR dump ORDERS --index 2\""
                     : ", sample database removed");
  }
  return code;
}

}  // namespace vv::tools

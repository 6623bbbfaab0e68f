// The table manager's handle dispatch, tested with a fake driver whose
// function table entries record their calls and use the host services the
// way the driver does (attaching records to handles, reading the INT file).
#include "host/table_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/bcd.h"
#include "host/host.h"
#include "temp_dir.h"

namespace vv::host {
namespace {

template <class Fn>
Fn Slot(const VvHostServices* s, int slot) {
  return reinterpret_cast<Fn>(s->slot[slot]);
}
#define HOST(Name, ...) Slot<VvHost_##Name>(FakeDriver::services, VV_HOST_SLOT_##Name)(__VA_ARGS__)

// A driver that records every call as a line of text.
struct FakeDriver {
  static inline const VvHostServices* services = nullptr;
  static inline std::vector<std::string> calls;
  static inline int record = 0;  // what the fake attaches to handles
  static inline int16_t findStatus = 0;

  static void Log(const std::string& line) { calls.push_back(line); }

  static int16_t VV_CALL FileOpen(const char* name, int32_t mode, int32_t* hFile) {
    Log("open " + std::string(name) + " " + std::to_string(mode) + " " + std::to_string(*hFile));
    if (*hFile < 0) {
      // The host holds the INT file open at its first line.
      char keyword[VV_HOST_TEXT_LINE_SIZE];
      char value[VV_HOST_TEXT_LINE_SIZE];
      const int32_t code = HOST(TextRead, keyword, value);
      Log("int " + std::to_string(code) + " " + value);
      HOST(TextClose, VV_TEXT_MODE_READ);
      *hFile = -*hFile;
    }
    if (std::strncmp(name, "FAIL", 4) == 0) {
      HOST(FileHandleFree, *hFile);
      return HOST(ErrorReport, 75, "Can't find FAIL!");
    }
    return HOST(FileHandleSet, *hFile, &record);
  }
  static int16_t VV_CALL FileClose(int32_t hFile, int32_t flag) {
    Log("close " + std::to_string(hFile) + " " + std::to_string(flag));
    return HOST(FileHandleFree, hFile);
  }
  static int16_t VV_CALL FileClear(int32_t hFile) {
    Log("clear " + std::to_string(hFile));
    return 0;
  }
  static int16_t VV_CALL FileDelete(int32_t hFile) {
    Log("delete file " + std::to_string(hFile));
    return HOST(FileHandleFree, hFile);
  }
  static int16_t VV_CALL RecordFind(int32_t hFile, int32_t index, int32_t mode) {
    Log("find " + std::to_string(hFile) + " " + std::to_string(index) + " " + std::to_string(mode));
    return findStatus != 0 ? HOST(ErrorReport, findStatus, "ORDERS") : 0;
  }
  static int16_t VV_CALL RecordSave(int32_t hFile) {
    Log("save " + std::to_string(hFile));
    return 0;
  }
  static int16_t VV_CALL RecordDelete(int32_t hFile) {
    Log("delete " + std::to_string(hFile));
    // As the driver does after a delete: the host drops its found record.
    return HOST(AttrSetNumeric, hFile, 0, 0, VV_ATTR_FILE_RECORD_STATE, 0);
  }
  static int32_t VV_CALL FieldGetString(int32_t hFile, int32_t field, char* buffer, int32_t offset,
                                        int32_t length) {
    Log("get " + std::to_string(hFile) + " " + std::to_string(field) + " " +
        std::to_string(offset) + " " + std::to_string(length));
    std::strcpy(buffer, "value");
    return 5;
  }
  static int16_t VV_CALL FieldPutString(int32_t hFile, int32_t field, const char* text,
                                        int32_t offset, int32_t length, int32_t keepEnd) {
    Log("put " + std::to_string(hFile) + " " + std::to_string(field) + " " + text + " " +
        std::to_string(offset) + " " + std::to_string(length) + " " + std::to_string(keepEnd));
    return 0;
  }
  static int16_t VV_CALL FieldGetBCD(int32_t hFile, int32_t field, VvBcd* value) {
    Log("getbcd " + std::to_string(hFile) + " " + std::to_string(field));
    return BcdFromInt(field * 10, value);
  }
  static int16_t VV_CALL FieldPutBCD(int32_t hFile, int32_t field, const VvBcd* value) {
    int32_t i = 0;
    BcdToInt(*value, &i);
    Log("putbcd " + std::to_string(hFile) + " " + std::to_string(field) + " " + std::to_string(i));
    return 0;
  }
  static int32_t VV_CALL AttrGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                        int32_t selector) {
    Log("attr " + std::to_string(hFile) + " " + std::to_string(n1) + " " + std::to_string(n2) +
        " " + std::to_string(attr) + " " + std::to_string(selector));
    return attr == VV_ATTR_FIELD_LENGTH ? 30 : 1000 + attr;
  }
  static int16_t VV_CALL AttrGetString(int32_t hFile, int32_t, int32_t, int32_t attr, char* buffer,
                                       int32_t size, int32_t) {
    Log("attrtext " + std::to_string(hFile) + " " + std::to_string(attr) + " " +
        std::to_string(size));
    std::strcpy(buffer, "driver text");
    return 0;
  }
  static int16_t VV_CALL AttrSetNumeric(int32_t hFile, int32_t, int32_t, int32_t attr,
                                        int32_t value, int32_t) {
    Log("setattr " + std::to_string(hFile) + " " + std::to_string(attr) + " " +
        std::to_string(value));
    return 0;
  }

  static VvDriverFuncTable Table() {
    VvDriverFuncTable t{};
    t.btrFileOpen = &FileOpen;
    t.btrFileClose = &FileClose;
    t.btrFileClear = &FileClear;
    t.btrFileDelete = &FileDelete;
    t.btrRecordFind = &RecordFind;
    t.btrRecordSave = &RecordSave;
    t.btrRecordDelete = &RecordDelete;
    t.btrFieldGetString = &FieldGetString;
    t.btrFieldPutString = &FieldPutString;
    t.btrFieldGetBCD = &FieldGetBCD;
    t.btrFieldPutBCD = &FieldPutBCD;
    t.btrAttributeGetNumeric = &AttrGetNumeric;
    t.btrAttributeGetString = &AttrGetString;
    t.btrAttributeSetNumeric = &AttrSetNumeric;
    return t;
  }
};

class TableManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeDriver::services = host_.services();
    FakeDriver::calls.clear();
    FakeDriver::findStatus = 0;
    host_.set_data_path(dir_.path());
    host_.AttachDriver(&table_);
  }
  void TearDown() override { host_.DetachDriver(); }

  template <class Fn>
  Fn S(int slot) {
    return Slot<Fn>(host_.services(), slot);
  }
  // Takes the calls recorded so far.
  std::vector<std::string> Calls() {
    std::vector<std::string> c;
    c.swap(FakeDriver::calls);
    return c;
  }
  using Lines = std::vector<std::string>;

  TempDir dir_;
  Host host_;
  VvDriverFuncTable table_ = FakeDriver::Table();
};

#define SLOT(Name) S<VvHost_##Name>(VV_HOST_SLOT_##Name)

TEST_F(TableManagerTest, DriverTableByPrefixDispatchesEverySlot) {
  int32_t h = 0;
  ASSERT_EQ(SLOT(FileOpen)("veverave: ORDERS", 1, &h), 0) << host_.error_text();
  EXPECT_EQ(h, 1) << "handle 0 asks for the lowest free one";
  EXPECT_EQ(Calls(), Lines{"open ORDERS 1 1"});
  EXPECT_EQ(host_.tables().Kind(h), TableKind::kDriver);
  EXPECT_EQ(SLOT(FileFromHandle)(h), &FakeDriver::record);

  char buffer[64];
  VvBcd value;
  EXPECT_EQ(SLOT(FileClear)(h), 0);
  EXPECT_EQ(SLOT(RecordFind)(h, 2, VV_FIND_GE), 0);
  EXPECT_EQ(SLOT(AttrGetNumeric)(h, 0, 0, VV_ATTR_FILE_RECORD_STATE), VV_RECORD_FOUND);
  EXPECT_EQ(SLOT(FieldGetString)(h, 3, buffer, 0, 0), 5);
  EXPECT_STREQ(buffer, "value");
  EXPECT_EQ(SLOT(FieldPutString)(h, 3, "abc", 1, 2, 1), 0);
  EXPECT_EQ(SLOT(AttrGetNumeric)(h, 0, 0, VV_ATTR_FILE_RECORD_STATE), VV_RECORD_CHANGED);
  SLOT(FieldGetBCD)(h, 4, &value);
  EXPECT_EQ(SLOT(BcdToInt)(&value), 40);
  SLOT(FieldPutBCD)(h, 4, &value);
  EXPECT_EQ(SLOT(RecordSave)(h), 0);
  EXPECT_EQ(SLOT(AttrGetNumeric)(h, 0, 0, VV_ATTR_FILE_RECORD_STATE), VV_RECORD_FOUND);
  EXPECT_EQ(host_.tables().Delete(h), 0);
  EXPECT_EQ(SLOT(AttrGetNumeric)(h, 0, 0, VV_ATTR_FILE_RECORD_STATE), VV_RECORD_NONE)
      << "the driver set attribute 101 to 0";
  EXPECT_EQ(SLOT(AttrGetNumeric)(h, 7, 0, VV_ATTR_FIELD_TYPE), 1000 + VV_ATTR_FIELD_TYPE);
  EXPECT_EQ(SLOT(AttrGetString)(h, 0, 0, VV_ATTR_FILE_PHYSICAL_NAME, buffer, 64), 0);
  EXPECT_STREQ(buffer, "driver text");
  EXPECT_EQ(SLOT(AttrGetString)(h, 0, 0, VV_ATTR_FILE_ROOT_NAME, buffer, 64), 0);
  EXPECT_STREQ(buffer, "veverave: ORDERS") << "the host answers from its file list";
  EXPECT_EQ(SLOT(AttrSetNumeric)(h, 0, 0, VV_ATTR_FILE_COMPRESSION, 1), 0);
  EXPECT_EQ(Calls(), (Lines{"clear 1", "find 1 2 3", "get 1 3 0 0", "put 1 3 abc 1 2 1",
                            "getbcd 1 4", "putbcd 1 4 40", "save 1", "delete 1", "attr 1 7 0 202 0",
                            "attrtext 1 120 64", "setattr 1 109 1"}));

  FakeDriver::findStatus = VV_HOST_ERR_END_OF_FILE;
  EXPECT_EQ(SLOT(RecordFind)(h, 1, VV_FIND_GT), VV_HOST_ERR_END_OF_FILE);
  EXPECT_EQ(host_.tables().RecordState(h), VV_RECORD_NONE);
  host_.ClearError();

  std::string text;
  EXPECT_EQ(host_.tables().Get(h, 2, &text), 0);
  EXPECT_EQ(text, "value");
  Calls();
  EXPECT_EQ(SLOT(FileClose)(h), 0);
  EXPECT_EQ(Calls(), Lines{"close 1 0"});
  EXPECT_EQ(host_.tables().Kind(h), TableKind::kNone);
  EXPECT_EQ(SLOT(FileFromHandle)(h), nullptr);
  EXPECT_EQ(SLOT(FileClose)(h), kErrBadHandle);
}

TEST_F(TableManagerTest, IntFileNamingTheDriverOpensWithNegativeHandle) {
  platform::WriteStringToFile(dir_.File("ORDERS.INT"),
                              "; orders\nDRIVER_NAME VEVERAVE\nDDF_NAME X\n");
  int32_t h = 4;
  ASSERT_EQ(SLOT(FileOpen)("orders", 0, &h), 0) << host_.error_text();
  EXPECT_EQ(h, 4);
  const Lines calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].substr(0, 5), "open ");
  EXPECT_EQ(calls[0].substr(calls[0].size() - 5), " 0 -4");
  EXPECT_EQ(platform::SplitPath(calls[0].substr(5, calls[0].size() - 10)).name, "ORDERS");
  EXPECT_EQ(calls[1], "int 1 VEVERAVE") << "the INT file was open at its first line";
  char keyword[VV_HOST_TEXT_LINE_SIZE];
  char value[VV_HOST_TEXT_LINE_SIZE];
  EXPECT_EQ(SLOT(TextRead)(keyword, value), VV_TEXT_READ_FAILED) << "and is closed afterwards";
  host_.ClearError();

  platform::WriteStringToFile(dir_.File("OTHER.INT"), "DRIVER_NAME DBASE\n");
  int32_t other = 0;
  EXPECT_EQ(SLOT(FileOpen)("OTHER.INT", 0, &other), kErrCannotOpen);
  EXPECT_EQ(host_.error_text(), "OTHER.INT: driver DBASE is not available");
  platform::WriteStringToFile(dir_.File("PLAIN.INT"), "OWNER X\n");
  EXPECT_EQ(SLOT(FileOpen)("PLAIN.INT", 0, &other), kErrCannotOpen);
  EXPECT_EQ(SLOT(FileOpen)("NOWHERE", 0, &other), kErrCannotOpen);
  EXPECT_EQ(host_.error_text(), "NOWHERE: table not found");
  EXPECT_EQ(Calls(), Lines{});

  host_.DetachDriver();
  EXPECT_EQ(Calls(), Lines{"close 4 0"}) << "detaching closes the driver tables";
  EXPECT_EQ(SLOT(FileOpen)("VEVERAVE:ORDERS", 0, &other), kErrNoDriver);
}

TEST_F(TableManagerTest, HandlesAndTheFileList) {
  NativeTableDef def;
  def.fields = {{"CODE", VV_HOST_TYPE_ASCII, 4}};
  def.indexes = {{{{1}}}};
  ASSERT_EQ(host_.CreateNativeTable("CODES", def), 0);

  int32_t h = 2;
  ASSERT_EQ(SLOT(FileOpen)("CODES", 0, &h), 0);
  int32_t d = 3;
  ASSERT_EQ(SLOT(FileOpen)("VEVERAVE:ORDERS", 0, &d), 0);
  int32_t bad = -1;
  EXPECT_EQ(SLOT(FileOpen)("CODES", 0, &bad), kErrBadHandle);
  int32_t fail = 5;
  EXPECT_EQ(SLOT(FileOpen)("VEVERAVE:FAIL", 0, &fail), 75) << "the driver's error is passed on";
  EXPECT_EQ(host_.tables().Kind(5), TableKind::kNone);

  // Attribute 121 chains the handles in use; the first gap is free.
  EXPECT_EQ(SLOT(AttrGetNumeric)(0, 0, 0, VV_ATTR_FILE_NEXT_HANDLE), 2);
  EXPECT_EQ(SLOT(AttrGetNumeric)(2, 0, 0, VV_ATTR_FILE_NEXT_HANDLE), 3);
  EXPECT_EQ(SLOT(AttrGetNumeric)(3, 0, 0, VV_ATTR_FILE_NEXT_HANDLE), 0);
  EXPECT_EQ(host_.FreeHandle(), 1);
  EXPECT_NE(SLOT(FileFromHandle)(2), nullptr) << "a native table is open to the driver's eye";
  int record = 0;
  EXPECT_EQ(SLOT(FileHandleSet)(2, &record), kErrHandleInUse);
  EXPECT_EQ(SLOT(FileHandleFree)(2), kErrHandleInUse);

  // Names of a handle stay in the file list while it is closed, and an
  // empty name reopens the root name.
  ASSERT_EQ(SLOT(FileClose)(2), 0);
  EXPECT_EQ(SLOT(AttrSetString)(2, 0, 0, VV_ATTR_FILE_LOGICAL_NAME, "codes"), 0);
  EXPECT_EQ(SLOT(AttrSetString)(2, 0, 0, VV_ATTR_FILE_DISPLAY_NAME, std::string(41, 'x').c_str()),
            kErrBadAttributeValue);
  std::string text;
  host_.AttributeText(2, VV_ATTR_FILE_LOGICAL_NAME, &text);
  EXPECT_EQ(text, "codes");
  ASSERT_EQ(SLOT(FileOpen)("", 0, &h), 0) << host_.error_text();
  EXPECT_EQ(host_.tables().Kind(2), TableKind::kNative);

  // Opening under a handle in use closes what is open there; a native table
  // is replaced by a driver table under the same handle, as after a
  // conversion.
  ASSERT_EQ(SLOT(AttrSetString)(2, 0, 0, VV_ATTR_FILE_ROOT_NAME, "CODES.INT"), 0);
  Calls();
  ASSERT_EQ(SLOT(FileOpen)("VEVERAVE:CODES", 0, &h), 0);
  EXPECT_EQ(host_.tables().Kind(2), TableKind::kDriver);
  EXPECT_EQ(Calls(), Lines{"open CODES 0 2"});

  EXPECT_EQ(SLOT(FileErase)(2), 0);
  EXPECT_EQ(Calls(), Lines{"delete file 2"});
  EXPECT_EQ(host_.tables().Kind(2), TableKind::kNone);
  ASSERT_EQ(SLOT(FileOpen)("CODES", 0, &h), 0);
  ASSERT_EQ(SLOT(FileErase)(2), 0);
  EXPECT_FALSE(platform::FileExists(dir_.File("CODES.VVT"))) << "erasing deletes the file";
  EXPECT_EQ(SLOT(FileErase)(2), kErrBadHandle);
}

TEST_F(TableManagerTest, AttributesOfClosedAndUnknownHandles) {
  EXPECT_EQ(SLOT(AttrGetNumeric)(9, 0, 0, VV_ATTR_FILE_RECORDS), 0);
  EXPECT_EQ(host_.error(), kErrBadHandle);
  host_.ClearError();
  EXPECT_EQ(SLOT(AttrGetNumeric)(0, 0, 0, 999), 0);
  EXPECT_EQ(host_.error(), 0) << "unknown numbers are silent unless strict";
  host_.set_strict(true);
  EXPECT_EQ(SLOT(AttrGetNumeric)(0, 0, 0, 999), 0);
  EXPECT_EQ(host_.error(), kErrNotSupported);
  EXPECT_EQ(host_.error_text(), "AttrGetNumeric: handle 0, attribute 999");
  EXPECT_EQ(SLOT(AttrSetNumeric)(0, 0, 0, VV_HOST_ATTR_DECIMAL_SEPARATOR, '5'),
            kErrBadAttributeValue);
  EXPECT_EQ(SLOT(AttrSetNumeric)(0, 0, 0, VV_HOST_ATTR_DECIMAL_SEPARATOR, ','), 0);
  EXPECT_EQ(host_.decimal_separator(), ',');
}

}  // namespace
}  // namespace vv::host

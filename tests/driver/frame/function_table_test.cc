// The driver function table and the loader exports, as a host sees them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "host/driver_library.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

using FunctionTableTest = DriverFixture;

TEST_F(FunctionTableTest, LayoutKeepsTheHostsOrder) {
  if (sizeof(void*) == 4) {
    EXPECT_EQ(offsetof(VvDriverFuncTable, wReserved), 4u);
    EXPECT_EQ(offsetof(VvDriverFuncTable, szDriverName), 6u);
    EXPECT_EQ(offsetof(VvDriverFuncTable, szPrefix), 19u);
    EXPECT_EQ(offsetof(VvDriverFuncTable, btrDeinitialize), 24u);
  } else {
    EXPECT_EQ(offsetof(VvDriverFuncTable, wReserved), 8u);
    EXPECT_EQ(offsetof(VvDriverFuncTable, szDriverName), 10u);
    EXPECT_EQ(offsetof(VvDriverFuncTable, szPrefix), 23u);
    EXPECT_EQ(offsetof(VvDriverFuncTable, btrDeinitialize), 32u);
  }
  // Entry points sit at consecutive pointer slots in index order.
  const auto* first = reinterpret_cast<const char*>(&table()->btrDeinitialize);
#define VV_CHECK_SLOT(pos, ret, name, params, bytes)                                 \
  EXPECT_EQ(reinterpret_cast<const char*>(&table()->name) - first,                   \
            static_cast<std::ptrdiff_t>((pos) * sizeof(void*))) << #name;            \
  EXPECT_EQ(reinterpret_cast<void*>(table()->name), reinterpret_cast<void*>(&::name)) \
      << #name;
  VV_DRIVER_ENTRY_POINTS(VV_CHECK_SLOT)
#undef VV_CHECK_SLOT
}

TEST_F(FunctionTableTest, NameAndPrefixFields) {
  const char name[13] = "VEVERAVE";
  const char prefix[5] = "BTR";
  EXPECT_EQ(std::memcmp(table()->szDriverName, name, sizeof name), 0);
  EXPECT_EQ(std::memcmp(table()->szPrefix, prefix, sizeof prefix), 0);
  EXPECT_EQ(table()->wReserved, 0);
}

TEST_F(FunctionTableTest, LoaderHandshake) {
  EXPECT_EQ(mvDLLGetModuleType(), 2);
  VvDriverFuncTable* a = nullptr;
  VvDriverFuncTable* b = nullptr;
  char prefixA[8] = "xxxxxxx";
  char prefixB[8] = {};
  mvDLLGetFuncTable(&a, prefixA);
  mvDLLGetFuncTable(&b, prefixB);
  EXPECT_EQ(a, b);
  EXPECT_STREQ(prefixA, "btr");
  EXPECT_EQ(prefixA[4], 'x') << "only \"btr\" and its terminator are written";
  EXPECT_EQ(a->lpGlobals, nullptr) << "nothing is initialised by the handshake";
}

TEST_F(FunctionTableTest, NullServicesTableIsRefusedAndTheEarlierOneStays) {
  EXPECT_EQ(mvDLLSetLoaderGlobals(nullptr), -1);
  // Errors still reach the host whose table was handed over first.
  btrDriver(0, 0, "", 0, 0, nullptr, 5);
  EXPECT_EQ(host_.error(), 20491);
  EXPECT_EQ(host_.error_text(), "Function: 5");
}

TEST_F(FunctionTableTest, SharedLibraryExportsEveryEntryPoint) {
  std::string error;
  std::unique_ptr<host::DriverLibrary> lib = host::DriverLibrary::Load(host_, "", &error);
  ASSERT_NE(lib, nullptr) << error;
  EXPECT_EQ(lib->module_type(), 2);
  EXPECT_EQ(lib->prefix(), "btr");
  VvDriverFuncTable* t = lib->table();
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->szDriverName, "VEVERAVE");
#define VV_CHECK_EXPORT(pos, ret, name, params, bytes)                          \
  EXPECT_NE(lib->Export(#name), nullptr) << #name;                              \
  EXPECT_EQ(lib->Export(#name), reinterpret_cast<void*>(t->name)) << #name;
  VV_DRIVER_ENTRY_POINTS(VV_CHECK_EXPORT)
#undef VV_CHECK_EXPORT
  // Internal routines stay hidden.
  EXPECT_EQ(lib->Export("_ZN2vv6driver15mvbtrDriverInitEv"), nullptr);
  // The library's own copy of the driver initialises through its table.
  EXPECT_EQ(t->btrDriver(0, 0, "", 0, 0, nullptr, 21), 1);
  EXPECT_NE(t->lpGlobals, nullptr);
  t->btrDeinitialize();
  EXPECT_EQ(t->lpGlobals, nullptr);
}

}  // namespace
}  // namespace vv::testing

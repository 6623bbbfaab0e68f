// The reference host's error channel, attributes, name comparison and handle
// map, called through the services table as the driver calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host.h"

namespace vv::host {
namespace {

template <class Fn>
Fn Slot(const Host& host, int slot) {
  return reinterpret_cast<Fn>(host.services()->slot[slot]);
}
#define CALL(host, Name, ...) Slot<VvHost_##Name>(host, VV_HOST_SLOT_##Name)(__VA_ARGS__)

TEST(HostServicesTest, ErrorChannel) {
  Host host;
  EXPECT_EQ(CALL(host, ErrorStatus), 0);
  EXPECT_EQ(CALL(host, ErrorReport, 25, "ORDERS"), 25);
  EXPECT_EQ(CALL(host, ErrorReport, 4106, "Btrieve"), 4106) << "a report replaces the pending one";
  EXPECT_EQ(CALL(host, ErrorStatus), 4106);
  int16_t code = 0;
  char text[VV_HOST_ERROR_TEXT_SIZE];
  EXPECT_EQ(CALL(host, PendingErrorFetch, &code, text), 4106);
  EXPECT_EQ(code, 4106);
  EXPECT_STREQ(text, "Btrieve");
  EXPECT_EQ(CALL(host, ErrorStatus), 0) << "fetching takes the error";

  CALL(host, ErrorReport, 10, nullptr);
  EXPECT_EQ(host.error_text(), "");
  EXPECT_EQ(CALL(host, ErrorTake), 10);
  EXPECT_EQ(CALL(host, ErrorStatus), 0);
  EXPECT_EQ(CALL(host, ErrorRaise, 10), 10);
  EXPECT_EQ(CALL(host, ErrorStatus), 10);
  EXPECT_EQ(CALL(host, ErrorClear), 0);
  EXPECT_EQ(host.error(), 0);

  std::string longText(400, 'x');
  CALL(host, ErrorReport, 1, longText.c_str());
  CALL(host, PendingErrorFetch, &code, text);
  EXPECT_EQ(std::strlen(text), VV_HOST_ERROR_TEXT_SIZE - 1u) << "fetch fits the 256-byte buffer";
}

TEST(HostServicesTest, GlobalAttributes) {
  Host host;
  host.set_lock_delay(50);
  host.set_lock_timeout(2000);
  host.set_data_path("A;B");
  EXPECT_EQ(CALL(host, AttrGetNumeric, 0, 0, 0, VV_HOST_ATTR_LOCK_DELAY), 50);
  EXPECT_EQ(CALL(host, AttrGetNumeric, 0, 0, 0, VV_HOST_ATTR_LOCK_TIMEOUT), 2000);
  EXPECT_EQ(CALL(host, AttrGetNumeric, 0, 0, 0, VV_HOST_ATTR_DECIMAL_SEPARATOR), '.');
  EXPECT_EQ(CALL(host, AttrGetNumeric, 0, 0, 0, VV_HOST_ATTR_STRICT), 0);
  EXPECT_EQ(CALL(host, AttrSetNumeric, 0, 0, 0, VV_HOST_ATTR_STRICT, 1), 0);
  EXPECT_EQ(CALL(host, AttrGetNumeric, 0, 0, 0, VV_HOST_ATTR_STRICT), 1);
  char buffer[4];
  EXPECT_EQ(CALL(host, AttrGetString, 0, 0, 0, VV_HOST_ATTR_DATA_PATH, buffer, 4), 0);
  EXPECT_STREQ(buffer, "A;B");
  CALL(host, AttrSetString, 0, 0, 0, VV_HOST_ATTR_DATA_PATH, "LONGER");
  EXPECT_EQ(CALL(host, AttrGetString, 0, 0, 0, VV_HOST_ATTR_DATA_PATH, buffer, 4),
            kErrBufferTooSmall);
  EXPECT_STREQ(buffer, "LON") << "cut to the buffer";
  EXPECT_EQ(host.error_text(), "AttrGetString: handle 0, attribute 3: 7 bytes needed");
  host.ClearError();
  EXPECT_EQ(CALL(host, AttrSetNumeric, 0, 0, 0, VV_HOST_ATTR_CREATE_FORBIDDEN, 2), 0);
  EXPECT_TRUE(host.create_forbidden());
  EXPECT_EQ(CALL(host, AttrGetNumeric, 0, 0, 0, VV_HOST_ATTR_CREATE_FORBIDDEN), 1);
  EXPECT_EQ(CALL(host, AttrSetNumeric, 0, 0, 0, 999, 1), kHostErrNotSupported);
  EXPECT_EQ(host.error(), kHostErrNotSupported);
}

TEST(HostServicesTest, NamesCompareWithoutCase) {
  Host host;
  EXPECT_EQ(CALL(host, NameCompare, 0, "Customer_No", "CUSTOMER_NO", 0), VV_HOST_NAMES_EQUAL);
  EXPECT_EQ(CALL(host, NameCompare, 0, "A", "B", 0), 1);
  EXPECT_EQ(CALL(host, NameCompare, 0, "AB", "A", 0), 3);
}

TEST(HostServicesTest, HandleMap) {
  Host host;
  int record = 0;
  EXPECT_EQ(host.FreeHandle(), 1);
  EXPECT_EQ(CALL(host, FileFromHandle, 1), nullptr);
  EXPECT_EQ(CALL(host, FileHandleSet, 1, &record), 0);
  EXPECT_EQ(CALL(host, FileHandleSet, 3, &record), 0);
  EXPECT_EQ(CALL(host, FileFromHandle, 1), &record);
  EXPECT_EQ(host.FreeHandle(), 2);
  EXPECT_EQ(CALL(host, FileHandleFree, 1), 0);
  EXPECT_EQ(CALL(host, FileFromHandle, 1), nullptr);
  EXPECT_EQ(CALL(host, FileHandleFree, 1), 0) << "releasing a free handle is harmless";
  EXPECT_EQ(host.error(), 0);
}

TEST(HostServicesTest, UnusedSlotsAnswerNotSupported) {
  Host host;
  auto unused = reinterpret_cast<int16_t(VV_CALL*)(void)>(host.services()->slot[0]);
  EXPECT_EQ(unused(), kHostErrNotSupported);
  EXPECT_EQ(host.error_text(), "not supported");
  // Every slot holds a function; those of the services list have their own.
  int own = 0;
  int services = 0;
  for (VvHostSlot slot : host.services()->slot) {
    ASSERT_NE(slot, nullptr);
    own += slot != host.services()->slot[0];
  }
#define VV_COUNT_SLOT(number, ret, name, params) ++services;
  VV_HOST_SERVICES(VV_COUNT_SLOT)
#undef VV_COUNT_SLOT
  EXPECT_EQ(own, services);
}

}  // namespace
}  // namespace vv::host

// Runs the C program's calls of host_services_c.c against the reference host.
#include <gtest/gtest.h>

#include "host/host.h"

extern "C" int vv_host_services_c_check(const VvHostServices* s);

namespace vv::host {
namespace {

TEST(HostServicesCTest, SlotsCalledFromC) {
  Host host;
  EXPECT_EQ(vv_host_services_c_check(host.services()), 0)
      << "the number is the failing line of host_services_c.c";
}

}  // namespace
}  // namespace vv::host

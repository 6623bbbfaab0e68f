// btrFieldMap: field numbers from names, compared the host's way.
#include <gtest/gtest.h>

#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;

class FieldMapTest : public FieldFixture {};

TEST_F(FieldMapTest, FirstFieldOfTheNameOrZero) {
  FieldTable& t = Table({{kHostAscii, BTR_TYPE_STRING, 2, 2, 0, false, "NAME"},
                         {kHostAscii, BTR_TYPE_STRING, 2, 2, 0, false, "CITY"},
                         {kHostAscii, BTR_TYPE_STRING, 2, 2, 0, false, "city"}});
  EXPECT_EQ(btrFieldMap(t.handle(), "NAME", 0), 1);
  EXPECT_EQ(btrFieldMap(t.handle(), "name", 0), 1) << "the reference host ignores case";
  EXPECT_EQ(btrFieldMap(t.handle(), "City", 0), 2) << "two fields of one name: the lower";
  EXPECT_EQ(btrFieldMap(t.handle(), "STREET", 0), 0);
  EXPECT_EQ(btrFieldMap(t.handle(), "", 0), 0);
  EXPECT_EQ(btrFieldMap(t.handle(), nullptr, 0), 0);
  EXPECT_EQ(host_.error(), 0);
  EXPECT_EQ(btrFieldMap(t.handle() + 3, "NAME", 0), 0);
  EXPECT_EQ(host_.error(), 72);
}

}  // namespace
}  // namespace vv::testing

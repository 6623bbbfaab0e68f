// A test fixture that plays the host: a reference host whose data search
// path is a fresh temporary directory, handed to the driver as a host does.
#ifndef VEVERAVE_TESTS_DRIVER_SUPPORT_DRIVER_FIXTURE_H_
#define VEVERAVE_TESTS_DRIVER_SUPPORT_DRIVER_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "driver/frame/globals.h"
#include "host/host.h"
#include "veverave/driver.h"

namespace vv::testing {

class DriverFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The driver function table and the globals hanging off it (null when the
  // driver is not initialised).
  VvDriverFuncTable* table() const { return table_; }
  driver::DriverGlobals* globals() const {
    return static_cast<driver::DriverGlobals*>(table_->lpGlobals);
  }
  // Writes a file into the data directory; returns its path.
  std::string WriteFile(const std::string& name, const std::string& content);
  void WriteSettings(const std::string& text) { WriteFile("VEVERAVE.INT", text); }
  // Initialises the driver through btrDriver (function 21 only reads).
  int32_t Initialise();
  const std::string& dir() const { return dir_; }

  host::Host host_;
  std::string dir_;
  VvDriverFuncTable* table_ = nullptr;
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_SUPPORT_DRIVER_FIXTURE_H_

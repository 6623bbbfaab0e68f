// The state behind the host's slots, shared by the slot implementations.
// The slots are plain functions without a context argument, so the state of
// the one living Host is reached through CurrentState().
#ifndef VEVERAVE_HOST_HOST_STATE_H_
#define VEVERAVE_HOST_HOST_STATE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "host/host_errors.h"
#include "host/table_manager.h"
#include "host/text_file.h"
#include "veverave/driver.h"
#include "veverave/host_services.h"

namespace vv::host {

struct HostState {
  VvHostServices table{};

  // Error channel.
  int16_t errorCode = 0;
  std::string errorText;

  // Global attributes. A host's lock wait defaults: retry every 250 ms and
  // give up after 10 seconds.
  int32_t lockDelay = 250;
  int32_t lockTimeout = 10000;
  std::string dataPath;
  char decimalSeparator = '.';
  bool createForbidden = false;
  bool strict = false;

  // Handle -> record attached by the driver (or a native table's object).
  std::map<int32_t, void*> handles;

  // The driver that driver tables are opened through; null when none.
  VvDriverFuncTable* driver = nullptr;

  // The text files of slots 76 to 79: one open for reading, one for writing.
  std::unique_ptr<TextFileReader> textReader;
  std::unique_ptr<TextFileWriter> textWriter;

  // Open tables by handle and the file list.
  TableManager tables;
};

// The current host's state; aborts when no Host exists.
HostState& CurrentState();
// The current host's state, or null.
HostState* CurrentStateOrNull();

// Fills the table: every slot of host_services.h, and "not supported" in the
// slots that have no service.
void ServicesFill(VvHostServices* table);

}  // namespace vv::host

#endif  // VEVERAVE_HOST_HOST_STATE_H_

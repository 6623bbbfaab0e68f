// The state behind the host's slots, shared by the slot implementations.
#ifndef VEVERAVE_HOST_HOST_STATE_H_
#define VEVERAVE_HOST_HOST_STATE_H_

#include <cstdint>
#include <map>
#include <string>

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

  // Handle -> record attached by the driver.
  std::map<int32_t, void*> handles;
};

// The current host's state; aborts when no Host exists.
HostState& CurrentState();

// Fills the table: the slots of the error channel, attributes, names and
// handles, and "not supported" everywhere else.
void ServicesFill(VvHostServices* table);

// Reports an error on the host's own channel and returns it.
int16_t HostErrorSet(int16_t code, const char* text);

}  // namespace vv::host

#endif  // VEVERAVE_HOST_HOST_STATE_H_

// The host services table of the reference host: which function answers
// which slot.
#include "host/host_state.h"
#include "host/slots.h"

namespace vv::host {
namespace {

template <class Fn>
VvHostSlot AsSlot(Fn fn) {
  return reinterpret_cast<VvHostSlot>(fn);
}

// Slots without a service still hold a callable function. It takes no
// arguments: on 32-bit Windows, where the called function removes the
// arguments, a caller must not pass any to it.
int16_t VV_CALL NotSupported(void) {
  return HostErrorSet(kErrNotSupported, "not supported");
}

}  // namespace

void ServicesFill(VvHostServices* table) {
  // Every slot of the services list gets its Slot<Name>; the conversion to
  // the slot's own type checks each signature.
  for (VvHostSlot& slot : table->slot) slot = AsSlot(&NotSupported);
#define VV_HOST_FILL_SLOT(number, ret, name, params) \
  table->slot[VV_HOST_SLOT_##name] = AsSlot(static_cast<VvHost_##name>(&Slot##name));
  VV_HOST_SERVICES(VV_HOST_FILL_SLOT)
#undef VV_HOST_FILL_SLOT
}

}  // namespace vv::host

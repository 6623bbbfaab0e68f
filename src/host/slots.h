// The slot functions of the reference host, one per slot of the host
// services table, declared from the table's own list so that every
// signature is exactly the one the driver calls (Slot<Name>).
#ifndef VEVERAVE_HOST_SLOTS_H_
#define VEVERAVE_HOST_SLOTS_H_

#include "veverave/host_services.h"

namespace vv::host {

#define VV_HOST_DECLARE_SLOT(number, ret, name, params) ret VV_CALL Slot##name params;
VV_HOST_SERVICES(VV_HOST_DECLARE_SLOT)
#undef VV_HOST_DECLARE_SLOT

}  // namespace vv::host

#endif  // VEVERAVE_HOST_SLOTS_H_

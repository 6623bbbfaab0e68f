// The host services table of the reference host: which function answers
// which slot.
#include "host/host.h"
#include "host/host_state.h"
#include "host/slots.h"

namespace vv::host {
namespace {

template <class Fn>
VvHostSlot AsSlot(Fn fn) {
  return reinterpret_cast<VvHostSlot>(fn);
}

// Slots the driver never calls still hold a callable function.
int16_t VV_CALL NotSupported(void) { return HostErrorSet(kHostErrNotSupported, "not supported"); }

}  // namespace

void ServicesFill(VvHostServices* table) {
  for (VvHostSlot& slot : table->slot) slot = AsSlot(&NotSupported);
  table->slot[VV_HOST_SLOT_PendingErrorFetch] = AsSlot(&SlotPendingErrorFetch);
  table->slot[VV_HOST_SLOT_ErrorReport] = AsSlot(&SlotErrorReport);
  table->slot[VV_HOST_SLOT_ErrorStatus] = AsSlot(&SlotErrorStatus);
  table->slot[VV_HOST_SLOT_ErrorClear] = AsSlot(&SlotErrorClear);
  table->slot[VV_HOST_SLOT_ErrorTake] = AsSlot(&SlotErrorTake);
  table->slot[VV_HOST_SLOT_ErrorRaise] = AsSlot(&SlotErrorRaise);
  table->slot[VV_HOST_SLOT_AttrGetNumeric] = AsSlot(&SlotAttrGetNumeric);
  table->slot[VV_HOST_SLOT_AttrGetString] = AsSlot(&SlotAttrGetString);
  table->slot[VV_HOST_SLOT_AttrSetNumeric] = AsSlot(&SlotAttrSetNumeric);
  table->slot[VV_HOST_SLOT_AttrSetString] = AsSlot(&SlotAttrSetString);
  table->slot[VV_HOST_SLOT_NameCompare] = AsSlot(&SlotNameCompare);
  table->slot[VV_HOST_SLOT_FileFromHandle] = AsSlot(&SlotFileFromHandle);
  table->slot[VV_HOST_SLOT_FileHandleSet] = AsSlot(&SlotFileHandleSet);
  table->slot[VV_HOST_SLOT_FileHandleFree] = AsSlot(&SlotFileHandleFree);
}

}  // namespace vv::host

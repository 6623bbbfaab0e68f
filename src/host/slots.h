// The slot functions of the reference host, with the exact signatures of
// host_services.h.
#ifndef VEVERAVE_HOST_SLOTS_H_
#define VEVERAVE_HOST_SLOTS_H_

#include "veverave/host_services.h"

namespace vv::host {

// Error channel.
int16_t VV_CALL SlotPendingErrorFetch(int16_t* code, char* text);
int16_t VV_CALL SlotErrorReport(int16_t error, const char* text);
int16_t VV_CALL SlotErrorStatus(void);
int16_t VV_CALL SlotErrorClear(void);
int16_t VV_CALL SlotErrorTake(void);
int16_t VV_CALL SlotErrorRaise(int16_t error);

// Attributes.
int32_t VV_CALL SlotAttrGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr);
int16_t VV_CALL SlotAttrGetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer,
                                  int32_t size);
int16_t VV_CALL SlotAttrSetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                   int32_t value);
int16_t VV_CALL SlotAttrSetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                  const char* text);

// Names.
int32_t VV_CALL SlotNameCompare(int32_t hFile, const char* a, const char* b, int32_t zero);

// Handles.
void* VV_CALL SlotFileFromHandle(int32_t hFile);
int16_t VV_CALL SlotFileHandleSet(int32_t hFile, void* record);
int16_t VV_CALL SlotFileHandleFree(int32_t hFile);

}  // namespace vv::host

#endif  // VEVERAVE_HOST_SLOTS_H_

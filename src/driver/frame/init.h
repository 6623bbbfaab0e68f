// First-call initialisation and release of the driver globals.
//
//   not initialised (lpGlobals null) --first initialising call--> initialised
//   initialised --btrDeinitialize--> not initialised
//
// The initialising entry points (btrFileOpen, btrLogin, btrStructureStart,
// the transaction entry points, btrDriver) begin with mvbtrDriverEnsureInit.
#ifndef VEVERAVE_DRIVER_FRAME_INIT_H_
#define VEVERAVE_DRIVER_FRAME_INIT_H_

#include <cstdint>

#include "driver/frame/globals.h"

namespace vv::driver {

// Non-zero when lpGlobals is not null.
int mvbtrDriverIsInit();
// Allocates the globals, sets the defaults and reads the settings file. The
// result is the settings file's status; -1 when the globals could not be
// allocated (error 10 reported), in which case lpGlobals stays null.
int16_t mvbtrDriverInit();
// Frees everything the globals own, then the record, and nulls lpGlobals.
void mvbtrDriverRelease(DriverGlobals* globals);
// The prologue of the initialising entry points: initialises when needed and
// returns the initialisation status (0 when already initialised).
int16_t mvbtrDriverEnsureInit();

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_INIT_H_

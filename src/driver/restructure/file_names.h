// The names of a table being defined: its dictionary name, its file name and
// the path of its file, all made from one root name the host gives.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_FILE_NAMES_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_FILE_NAMES_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// From a root name such as "VEVERAVE:D:\DATA\CUSTOMER.INT": a leading driver
// prefix ("VEVERAVE:", any case) is dropped, an extension ".INT" too, and a
// name without extension takes the driver's default one (".BTR"). Then
// lpszDdfName = the base name (CUSTOMER), lpszBtrFile = base name and
// extension (CUSTOMER.BTR), lpszBtrPath = drive, directory, base name and
// extension (D:\DATA\CUSTOMER.BTR). Out of memory: error 10
// "mvbtrStrNewCpy". Returns 0 or the pending error.
int16_t mvbtrFileSetNames(OpenFile* file, const char* rootName);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_FILE_NAMES_H_

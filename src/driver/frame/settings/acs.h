// Alternate collating sequences named by the ACS and ACS_UPPER settings.
#ifndef VEVERAVE_DRIVER_FRAME_SETTINGS_ACS_H_
#define VEVERAVE_DRIVER_FRAME_SETTINGS_ACS_H_

#include <cstdint>

namespace vv::driver {

// Loads the collating sequence file for keyword kKwAcs or kKwAcsUpper. A name
// with a drive or directory is looked for only there, a bare name along the
// host's data search path. The file must start with the signature byte 0xAC
// and hold at least 265 bytes (signature, 8-byte name, 256-byte table); on
// success it replaces the previous table, on failure the previous table stays.
int16_t mvbtrAcsRegister(int keyword, const char* fileName);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_SETTINGS_ACS_H_

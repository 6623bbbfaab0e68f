// Owner names: the driver-wide list of Btrieve owner names tried when a table
// is opened, and the owner name of the dictionary files.
#ifndef VEVERAVE_DRIVER_FRAME_SETTINGS_OWNERS_H_
#define VEVERAVE_DRIVER_FRAME_SETTINGS_OWNERS_H_

#include <cstdint>

namespace vv::driver {

inline constexpr const char* kDefaultDdfOwner = "..KW....";

// Adds a name at the end of the owner-name list (initialising the driver when
// needed). Longer than 8 characters: error 20515; a name already listed adds
// nothing; surrounding quotes are removed before the name is stored.
int16_t mvbtrOwnerAdd(const char* name);
// Frees every name and node; the list is empty afterwards.
void mvbtrOwnerClear();
// Replaces the owner name of the dictionary files (no length check).
int16_t mvbtrDdfOwnerSet(const char* name);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_SETTINGS_OWNERS_H_

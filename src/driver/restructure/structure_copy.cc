// btrStructureCopy: the host may ask to copy a structure between tables; the
// driver copies structures only inside a restructure, so the call does nothing.
#include "veverave/driver.h"

extern "C" int16_t VV_CALL btrStructureCopy(int32_t, int32_t) { return 0; }

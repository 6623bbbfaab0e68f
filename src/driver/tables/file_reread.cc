// btrFileReread: reading the current record again is a find on index 0 (the
// record-number index) in mode 2 (equal).
#include "veverave/driver.h"

extern "C" int16_t VV_CALL btrFileReread(int32_t hFile) { return btrRecordFind(hFile, 0, 2); }

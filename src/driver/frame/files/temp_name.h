// Unique temporary file names, such as the name under which a restructure
// builds a table's new Btrieve file before it replaces the old one.
#ifndef VEVERAVE_DRIVER_FRAME_FILES_TEMP_NAME_H_
#define VEVERAVE_DRIVER_FRAME_FILES_TEMP_NAME_H_

#include <cstdint>
#include <string>

namespace vv::driver {

// Frees *result and stores a new path: the drive, directory and extension of
// templatePath with the name prefix followed by a random number from 0 to
// 32767 in upper-case hexadecimal, for which no file exists (looked for as
// mvbtrFileExists does). Up to 1000 names are tried; when all exist, error
// 20522 is reported and *result stays null. Returns 0, or the pending error
// after a failure (20522, or 10 "mvbtrStrNewCpy" when the copy cannot be made).
//
// The random numbers are seeded from the current time in 100-nanosecond
// units and the process id, so that two names made in the same second, or
// by two processes, do not follow the same sequence.
int16_t mvbtrTempNameMake(char** result, const char* templatePath, const char* prefix);

// Test hook: seeds every later mvbtrTempNameMake with seed (0: from the
// clock again), so a test can replay a sequence of names.
void TempNameSeedSet(uint32_t seed);
// The next name of the sequence that *state (starting from the seed) walks
// through: what mvbtrTempNameMake tries, before looking for the file.
std::string TempNameCandidate(uint32_t* state, const char* templatePath, const char* prefix);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_FILES_TEMP_NAME_H_

// One input of the structure cache reader's fuzzing, shared by the
// mutation test that ctest runs and the coverage-guided fuzzer of Clang
// builds. The driver must be initialised under a host.
#ifndef VEVERAVE_TESTS_DRIVER_SUPPORT_CACHE_FUZZ_H_
#define VEVERAVE_TESTS_DRIVER_SUPPORT_CACHE_FUZZ_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vv::testing {

// Makes the check word of a cache image match its bytes (images shorter
// than the check word's end are left as they are).
void CacheCheckFix(std::string* image);

// Reads data as a cache image into a fresh record; when the reader accepts
// it, builds what an open builds on the structure (record lengths, record
// and key buffers, long-variable and overlap chains) and clears the record
// buffer, which writes every field. Frees the record and clears the host's
// pending error. Returns the reader's status.
int16_t CacheFuzzOne(const uint8_t* data, std::size_t size);

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_SUPPORT_CACHE_FUZZ_H_

// AUTOINCREMENT key fields: an Insert whose field holds binary zero gets the
// highest value the key holds plus one (1 for the first record). The highest
// value counts every entry, uncommitted ones of other transactions too, so
// that two transactions never hand out the same value.
#ifndef VEVERAVE_ENGINE_AUTOINCREMENT_H_
#define VEVERAVE_ENGINE_AUTOINCREMENT_H_

#include <cstdint>
#include <string>

#include "engine/file_state.h"

namespace vv::engine {

// Fills the zero autoincrement fields of a new record image. Returns 0, or
// 55 when the next value would not fit the field.
int16_t FillAutoincrement(FileState& file, std::string* image);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_AUTOINCREMENT_H_

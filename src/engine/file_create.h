// Writing a whole engine file at once (Create, and the conversion of a file
// of the earlier format): beside its place, synced, then moved there.
#ifndef VEVERAVE_ENGINE_FILE_CREATE_H_
#define VEVERAVE_ENGINE_FILE_CREATE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "engine/file_system.h"

namespace vv::engine {

// Writes a file image to a temporary file beside path, syncs it and moves it
// into place (replace: over an existing file; else failing with 59 when one
// exists). Returns 0, 59, 85 (another process holds the temporary file), 18
// (the disk is full) or 25.
int16_t WriteFileAtomically(FileSystem* fs, const std::string& path, const std::string& image,
                            bool replace);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_CREATE_H_

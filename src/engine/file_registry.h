// Open files of this process by canonical path. A file is loaded at its
// first Open and let go entirely (OS handle and lock, memory) when neither a
// position block nor a transaction refers to it any more, so that it may be
// renamed, replaced or deleted; the next Open reads whatever is then there.
#ifndef VEVERAVE_ENGINE_FILE_REGISTRY_H_
#define VEVERAVE_ENGINE_FILE_REGISTRY_H_

#include <string>

#include "engine/engine_state.h"

namespace vv::engine {

// The absolute native path of a file, and the key the registry knows it by.
std::string CanonicalPath(const std::string& path);
std::string RegistryKey(const std::string& native_path);

// The open file at the native path, or nullptr.
FileState* FindOpenFile(EngineState& st, const std::string& native_path);

// The file at the native path: already open, or loaded now. Returns 0 or
// the status of LoadFile. The caller must count a reference before anything
// else can release it, or call ReleaseIfUnused.
int16_t AcquireFile(EngineState& st, const std::string& native_path, FileState** out);

// Lets go of a file that no position block or transaction refers to:
// copies its log into it, removes the log and closes it.
void ReleaseIfUnused(EngineState& st, FileState* file);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_REGISTRY_H_

// Opening an engine file: lock it against other processes, check the header
// and replay the log into memory, in time linear in the file's size.
//
// Everything below the durable length of the header (recorded after every
// sync) must replay cleanly. Beyond it lies what was appended since; its
// last record may be torn by a crash in the middle of a write, and is then
// cut off: it was never acknowledged. Any other damage (a bad record below
// the durable length, or one followed by a valid record) answers 2 and
// leaves the file as it is.
#ifndef VEVERAVE_ENGINE_LOG_REPLAY_H_
#define VEVERAVE_ENGINE_LOG_REPLAY_H_

#include <memory>
#include <string>

#include "engine/file_state.h"
#include "engine/file_system.h"

namespace vv::engine {

// Opens and replays the file at native_path. Returns 0 and the state, or 12
// (no such file), 30 (not an engine file), 2 (damaged or unreadable), 46 (no
// access) or 85 (another process has it open).
int16_t LoadFile(FileSystem* fs, const std::string& native_path, std::unique_ptr<FileState>* out);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_LOG_REPLAY_H_

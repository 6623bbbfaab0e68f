// Writing an engine file: new files, appends to the log, syncs and the clean
// mark in the header. A write that fails is undone by cutting the log back;
// when even that fails the file is poisoned: every later operation on it
// answers 2 until it is closed, so nothing is ever acknowledged on top of a
// log in doubt.
#ifndef VEVERAVE_ENGINE_FILE_LOG_H_
#define VEVERAVE_ENGINE_FILE_LOG_H_

#include <cstdint>
#include <memory>
#include <string>

#include "engine/batch_log.h"
#include "engine/file_definition.h"
#include "engine/file_state.h"
#include "engine/file_system.h"

namespace vv::engine {

// The status of a failed write or sync: 18 when the disk is full, else 2.
int16_t WriteFailureStatus(const platform::File& file);

// Appends framed records at the end of the log (one write). Returns 0, or 18
// or 2 with the log as it was.
int16_t AppendLog(FileState& file, const std::string& bytes);
int16_t AppendLog(FileState& file, const void* bytes, std::size_t n);
// Appends a sealed batch record, piece after piece; 0, or 18 or 2 with the
// log as it was.
int16_t AppendLog(FileState& file, const BatchLog& batch);
// Cuts the log back to size (undoing appends not yet acknowledged).
void TruncateLog(FileState& file, uint64_t size);
// Flushes the log to stable storage and then records in the header's other
// state slot that the log is durable up to here. The slot write is not
// synced itself: the next sync carries it, and until then the older slot is
// in force (so a torn slot write never matters). Returns 0, 18 or 2.
int16_t SyncLog(FileState& file);
// After a clean close: syncs what was written since the last sync, and the
// durable mark. Skipped when nothing was written since the open. Failures
// are ignored (the log itself is complete either way).
void MarkClean(FileState& file);

// The bytes of a complete file holding a definition and no records.
std::string NewFileImage(const FileDefinition& def);

// Writes a file image to a temporary file beside path, syncs it and moves it
// into place (replace: over an existing file; else failing with 59 when one
// exists). Returns 0, 59, 85 (another process holds the temporary file), 18
// (the disk is full) or 25.
int16_t WriteFileAtomically(FileSystem* fs, const std::string& path, const std::string& image,
                            bool replace);

// Name of the temporary file beside path used for a compaction.
std::string CompactionTempPath(const std::string& path);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_LOG_H_

// Compaction: rewriting a file as its definition plus one snapshot record
// per committed record, so the log stops growing with every change.
//
// When: after a change reached the log (a non-transactional operation, an
// End Transaction) and when the last position block closes, provided no
// transaction has pending changes on the file, the log is larger than
// kCompactMinBytes and more than twice what a compacted copy would take. The
// copy costs about what was appended since the last one, so the work per
// change stays constant.
//
// How: the copy is written to a temporary file beside the original, locked
// like it, synced, and renamed over the original; the engine then keeps the
// copy's handle. A crash at any point leaves either the old or the new file
// complete. When the rename is impossible (the system refuses to replace an
// open file) or a write of the copy fails (a full disk among others), the
// copy is dropped, which gives its space back, and the log simply stays as
// it is. The operation that ran the compaction keeps its status: its change
// was durable before the copy began, so a full disk shows as 18 on the next
// write that needs the space, not as a failure of a change that was made.
#ifndef VEVERAVE_ENGINE_COMPACTION_H_
#define VEVERAVE_ENGINE_COMPACTION_H_

#include <cstdint>

#include "engine/file_state.h"
#include "engine/file_system.h"

namespace vv::engine {

inline constexpr uint64_t kCompactMinBytes = uint64_t{1} << 20;

bool ShouldCompact(const FileState& file);

// Compacts the file; failures (including running out of memory) leave it
// untouched. Returns true when the file was rewritten.
bool Compact(FileSystem* fs, FileState& file);

// Compacts when ShouldCompact says so.
void MaybeCompact(FileSystem* fs, FileState& file);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_COMPACTION_H_

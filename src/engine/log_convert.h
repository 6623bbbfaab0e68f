// Files of the earlier engine format (format version 1: one append-only log
// of records, replayed into memory at every open) are converted at their
// first open: the log is replayed (with the torn-tail and damage rules it
// was written under) into a new file of pages beside the old one, which then
// takes its place. Records keep their addresses, and equal keys their order.
#ifndef VEVERAVE_ENGINE_LOG_CONVERT_H_
#define VEVERAVE_ENGINE_LOG_CONVERT_H_

#include <cstdint>
#include <memory>
#include <string>

#include "engine/file_system.h"
#include "engine/page_cache.h"

namespace vv::engine {

// old: the file, open for writing and locked. Returns 0 once the converted
// file is in place (old is closed then), or 2 (damaged), 18 or 25.
int16_t ConvertLogFile(FileSystem* fs, PageCache* cache, const std::string& path,
                       std::unique_ptr<platform::File> old);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_LOG_CONVERT_H_

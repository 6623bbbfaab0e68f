// Helper process for the platform tests.
//   platform_lock_child try  FILE OFFSET LENGTH         exit 0 when the range
//                                                     can be locked at once, 1 not
//   platform_lock_child hold FILE OFFSET LENGTH MARKER  lock (waiting), write
//                                                     MARKER, hold until killed
//   platform_lock_child wait FILE OFFSET LENGTH MARKER  lock (waiting), write
//                                                     MARKER, exit 0
//   platform_lock_child exit CODE                     exit with CODE
// Exit 3: bad arguments or the file cannot be opened.
#include <cstdlib>
#include <string>

#include "platform/platform.h"

using namespace vv::platform;

int main(int argc, char** argv) {
  if (argc < 2) return 3;
  const std::string mode = argv[1];
  if (mode == "exit" && argc == 3) return std::atoi(argv[2]);
  if (argc < 5) return 3;
  std::unique_ptr<File> file = OpenFile(argv[2], OpenMode::kReadWrite);
  if (!file) return 3;
  const uint64_t offset = std::strtoull(argv[3], nullptr, 10);
  const uint64_t length = std::strtoull(argv[4], nullptr, 10);
  if (mode == "try") return file->LockRange(offset, length, false) ? 0 : 1;
  if (argc < 6 || (mode != "hold" && mode != "wait")) return 3;
  if (!file->LockRange(offset, length, true) || !WriteStringToFile(argv[5], "locked")) return 2;
  if (mode == "wait") return file->UnlockRange(offset, length) ? 0 : 2;
  for (int i = 0; i < 600; ++i) SleepMs(100);  // killed long before; a safety net
  return 4;
}

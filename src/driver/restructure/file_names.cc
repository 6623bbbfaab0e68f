#include "driver/restructure/file_names.h"

#include <cctype>
#include <cstring>
#include <string>

#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "platform/platform.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

// "VEVERAVE:" in any case at the start of name: the name after it.
const char* DriverPrefixSkip(const char* name) {
  const std::size_t length = std::strlen(VV_DRIVER_NAME);
  for (std::size_t i = 0; i < length; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != VV_DRIVER_NAME[i]) return name;
  }
  return name[length] == ':' ? name + length + 1 : name;
}

bool IsIntExtension(const std::string& ext) {
  return ext.size() == 4 && ext[0] == '.' &&
         std::toupper(static_cast<unsigned char>(ext[1])) == 'I' &&
         std::toupper(static_cast<unsigned char>(ext[2])) == 'N' &&
         std::toupper(static_cast<unsigned char>(ext[3])) == 'T';
}

}  // namespace

int16_t mvbtrFileSetNames(OpenFile* file, const char* rootName) {
  platform::PathParts parts = platform::SplitPath(DriverPrefixSkip(rootName));
  if (IsIntExtension(parts.ext)) parts.ext.clear();
  if (parts.ext.empty()) parts.ext = std::string(".") + mvbtrGlobals()->lpszDefaultExt;
  const std::string fileName = parts.name + parts.ext;
  const std::string path = parts.drive + parts.dir + fileName;
  if (mvbtrStrNewCpy(&file->lpszDdfName, parts.name.c_str()) != 0 ||
      mvbtrStrNewCpy(&file->lpszBtrFile, fileName.c_str()) != 0 ||
      mvbtrStrNewCpy(&file->lpszBtrPath, path.c_str()) != 0) {
    return mvbtrErrorStatus();
  }
  return 0;
}

}  // namespace vv::driver

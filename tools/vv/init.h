// Making a data directory: an empty dictionary and a settings file.
#ifndef VEVERAVE_TOOLS_VV_INIT_H_
#define VEVERAVE_TOOLS_VV_INIT_H_

#include <string>

namespace vv::tools {

// Makes dir (created when missing; its parent must exist) a data directory:
// the three dictionary files, empty, and the driver's settings file
// VEVERAVE.INT. A directory that already holds a dictionary file or a
// settings file is refused before anything is written, so an existing
// dictionary is never replaced. False with the error pending on the host:
// 4407 for files already there, 4403 when something cannot be written.
bool InitDataDirectory(const std::string& dir);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_INIT_H_

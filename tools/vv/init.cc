// vv init: an empty dictionary and a settings file.
#include "vv/init.h"

#include <cstdio>
#include <memory>

#include "ddf/dictionary_builder.h"
#include "host/host_errors.h"
#include "host/text_file.h"
#include "platform/platform.h"
#include "veverave/ddf_layout.h"
#include "vv/commands.h"
#include "vv/dictionary.h"
#include "vv/session.h"

namespace vv::tools {
namespace {

// The settings file vv init writes: the driver's defaults for the settings a
// user changes first, and where to say that files lie elsewhere. Keyword
// lines are keyword and value; lines with an empty keyword column are comments.
struct SettingsLine {
  const char* keyword;
  const char* value;
};
constexpr SettingsLine kSettings[] = {
    {"; Settings of the veverave driver for this data directory.", ""},
    {"; One keyword and its value per line; ';' starts a comment.", ""},
    {";", ""},
    {"; The dictionary (FILE.DDF, FIELD.DDF, INDEX.DDF) and the tables' files are", ""},
    {"; looked for along the host's data path; DDF_PATH and BTR_PATH name other", ""},
    {"; directories for them.", ""},
    {"; Transactions: NONE, EXCLUSIVE or CONCURRENT.", ""},
    {"TRANSACTION_TYPE", "EXCLUSIVE"},
    {"; Waiting for a locked record, in milliseconds; -1 takes the host's values.", ""},
    {"LOCK_TIMEOUT", "-1"},
    {"LOCK_DELAY", "-1"},
};

std::string PathIn(const std::string& dir, const char* name) {
  platform::PathParts parts = platform::SplitPath(name);
  parts.dir = dir;
  return platform::JoinPath(parts);
}

bool WriteSettings(const std::string& path) {
  std::unique_ptr<host::TextFileWriter> writer = host::TextFileWriter::Open(path);
  if (!writer) {
    ReportError(host::kErrTextFileWrite, path + ": cannot be created");
    return false;
  }
  for (const SettingsLine& line : kSettings) {
    if (writer->Write(line.keyword, line.value, 0) != 0) {
      ReportError(host::kErrTextFileWrite, path + ": cannot be written");
      return false;
    }
  }
  return true;
}

}  // namespace

bool InitDataDirectory(const std::string& dir) {
  if (!platform::DirectoryExists(dir) &&
      platform::CreateDirectory(dir) != platform::FsResult::kOk) {
    ReportError(host::kErrTextFileWrite, dir + ": the directory cannot be created");
    return false;
  }
  const std::string settings = SettingsPath(dir);
  for (const std::string& path :
       {PathIn(dir, kDdfFileName), PathIn(dir, kDdfFieldName),
        PathIn(dir, kDdfIndexName), settings}) {
    if (platform::FileExists(path)) {
      ReportError(
          host::kErrTableExists,
          path + " already exists; vv init makes a data directory only where there is none");
      return false;
    }
  }
  std::string error;
  if (!ddf::DictionaryBuilder::Create(dir, &error)) {
    ReportError(host::kErrTextFileWrite,
                dir + ": the dictionary cannot be created (" + error + ")");
    return false;
  }
  return WriteSettings(settings);
}

int InitCommand(const CommandLine& line) {
  Session session(DataDirectory(line));
  if (!InitDataDirectory(session.dir())) return session.Fail();
  std::printf("Made an empty dictionary (%s, %s, %s) and the settings file %s in %s\n",
              kDdfFileName, kDdfFieldName, kDdfIndexName, kSettingsFile,
              session.dir().c_str());
  return kExitOk;
}

}  // namespace vv::tools

#include "host/host.h"

#include <cstdlib>
#include <vector>

#include "host/host_state.h"
#include "host/slots.h"
#include "platform/platform.h"

namespace vv::host {
namespace {

HostState* g_current = nullptr;

// Longest text a driver string attribute is read with.
constexpr int32_t kAttributeTextSize = 4096;

}  // namespace

HostState& CurrentState() {
  if (g_current == nullptr) std::abort();
  return *g_current;
}

HostState* CurrentStateOrNull() {
  return g_current;
}

Host::Host() : state_(std::make_unique<HostState>()) {
  if (g_current != nullptr) std::abort();
  ServicesFill(&state_->table);
  g_current = state_.get();
}

Host::~Host() {
  state_->tables.CloseAll();
  state_->textReader.reset();
  state_->textWriter.reset();
  g_current = nullptr;
}

const VvHostServices* Host::services() const {
  return &state_->table;
}

int16_t Host::error() const {
  return state_->errorCode;
}
std::string Host::error_text() const {
  return state_->errorText;
}
void Host::ClearError() {
  state_->errorCode = 0;
  state_->errorText.clear();
}

void Host::set_lock_delay(int32_t ms) {
  state_->lockDelay = ms;
}
void Host::set_lock_timeout(int32_t ms) {
  state_->lockTimeout = ms;
}
void Host::set_data_path(const std::string& paths) {
  state_->dataPath = paths;
}
void Host::set_decimal_separator(char c) {
  state_->decimalSeparator = c;
}
void Host::set_create_forbidden(bool forbidden) {
  state_->createForbidden = forbidden;
}
void Host::set_strict(bool strict) {
  state_->strict = strict;
}
int32_t Host::lock_delay() const {
  return state_->lockDelay;
}
int32_t Host::lock_timeout() const {
  return state_->lockTimeout;
}
const std::string& Host::data_path() const {
  return state_->dataPath;
}
char Host::decimal_separator() const {
  return state_->decimalSeparator;
}
bool Host::create_forbidden() const {
  return state_->createForbidden;
}
bool Host::strict() const {
  return state_->strict;
}

void Host::AttachDriver(VvDriverFuncTable* table) {
  if (table != state_->driver) DetachDriver();
  state_->driver = table;
}

void Host::DetachDriver() {
  if (state_->driver == nullptr) return;
  state_->tables.CloseAll(true);
  state_->tables.ForgetDriverTables();
  state_->driver = nullptr;
}

VvDriverFuncTable* Host::driver() const {
  return state_->driver;
}

void* Host::FileFromHandle(int32_t hFile) const {
  auto it = state_->handles.find(hFile);
  return it == state_->handles.end() ? nullptr : it->second;
}

int32_t Host::FreeHandle() const {
  return state_->tables.FreeHandle();
}

TableManager& Host::tables() {
  return state_->tables;
}

int32_t Host::Attribute(int32_t handle, int32_t attr, int32_t n1, int32_t n2) {
  return SlotAttrGetNumeric(handle, n1, n2, attr);
}

int16_t Host::AttributeText(int32_t handle, int32_t attr, std::string* text, int32_t n1,
                            int32_t n2) {
  std::vector<char> buffer(kAttributeTextSize);
  const int16_t rc = SlotAttrGetString(handle, n1, n2, attr, buffer.data(), kAttributeTextSize);
  buffer.back() = '\0';
  *text = buffer.data();
  return rc;
}

int16_t Host::SetAttribute(int32_t handle, int32_t attr, int32_t value, int32_t n1, int32_t n2) {
  return SlotAttrSetNumeric(handle, n1, n2, attr, value);
}

int16_t Host::SetAttributeText(int32_t handle, int32_t attr, const std::string& text, int32_t n1,
                               int32_t n2) {
  return SlotAttrSetString(handle, n1, n2, attr, text.c_str());
}

int16_t Host::CreateNativeTable(const std::string& name, const NativeTableDef& def, bool replace) {
  platform::PathParts parts = platform::SplitPath(name);
  if (parts.ext.empty()) parts.ext = kNativeExtension;
  if (parts.drive.empty() && parts.dir.empty()) {
    const std::string& paths = state_->dataPath;
    const std::string first = paths.substr(0, paths.find(platform::kPathListSeparator));
    if (!first.empty()) {
      const platform::PathParts dir = platform::SplitPath(first + platform::kPathSeparator);
      parts.drive = dir.drive;
      parts.dir = dir.dir;
    }
  }
  return ::vv::host::CreateNativeTable(platform::JoinPath(parts), def, replace);
}

}  // namespace vv::host

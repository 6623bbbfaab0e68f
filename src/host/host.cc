#include "host/host.h"

#include <cstdlib>

#include "host/host_state.h"

namespace vv::host {
namespace {

HostState* g_current = nullptr;

}  // namespace

HostState& CurrentState() {
  if (g_current == nullptr) std::abort();
  return *g_current;
}

Host::Host() : state_(std::make_unique<HostState>()) {
  if (g_current != nullptr) std::abort();
  ServicesFill(&state_->table);
  g_current = state_.get();
}

Host::~Host() { g_current = nullptr; }

const VvHostServices* Host::services() const { return &state_->table; }

int16_t Host::error() const { return state_->errorCode; }
std::string Host::error_text() const { return state_->errorText; }
void Host::ClearError() {
  state_->errorCode = 0;
  state_->errorText.clear();
}

void Host::set_lock_delay(int32_t ms) { state_->lockDelay = ms; }
void Host::set_lock_timeout(int32_t ms) { state_->lockTimeout = ms; }
void Host::set_data_path(const std::string& paths) { state_->dataPath = paths; }
void Host::set_decimal_separator(char c) { state_->decimalSeparator = c; }
void Host::set_create_forbidden(bool forbidden) { state_->createForbidden = forbidden; }
void Host::set_strict(bool strict) { state_->strict = strict; }
int32_t Host::lock_delay() const { return state_->lockDelay; }
int32_t Host::lock_timeout() const { return state_->lockTimeout; }

void* Host::FileFromHandle(int32_t hFile) const {
  auto it = state_->handles.find(hFile);
  return it == state_->handles.end() ? nullptr : it->second;
}

int32_t Host::FreeHandle() const {
  int32_t h = 1;
  for (const auto& [handle, record] : state_->handles) {
    if (handle == h) ++h;
    else if (handle > h) break;
  }
  return h;
}

}  // namespace vv::host

// Server logins: logging in and out, and the count of open tables.
#include "driver/frame/logins/login.h"

#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/fields/le_bytes.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/files/log_file.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

constexpr const char* kEmptyName = "";

// Each version block: version u16, revision u16, platform character; the
// engine answers with up to three of them.
constexpr int kVersionBlocks = 3;
constexpr int kVersionPlatformOffset = 4;

bool NamesEqual(const ServerLogin* login, const char* server) {
  return std::strcmp(login->lpszServer != nullptr ? login->lpszServer : kEmptyName, server) == 0;
}

// A zero-filled block of size bytes, or null after error 10 with context.
void* BlockNew(std::size_t size, const char* context) {
  void* block = DriverAlloc(size);
  if (block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, context);
    return nullptr;
  }
  std::memset(block, 0, size);
  return block;
}

bool ClientIdTaken(const ServerLogin* login) {
  for (const ServerLogin* other = mvbtrGlobals()->lpLogins; other != nullptr;
       other = other->lpNext) {
    if (other != login && std::memcmp(other->ClientId, login->ClientId, BTR_CLIENT_ID_SIZE) == 0) {
      return true;
    }
  }
  return false;
}

// Each login is a Btrieve client of its own: should another login have been
// made in the same second, the number goes up until it names no other login
// (the logins would otherwise share their transactions, locks and files, and
// the Reset of one would close the files of the other).
void ClientIdMake(ServerLogin* login) {
  std::memset(login->ClientId, 0, sizeof login->ClientId);
  std::memcpy(login->ClientId + kClientIdTagOffset, kClientIdTag, sizeof kClientIdTag);
  auto number = static_cast<uint16_t>(platform::NowSeconds() & 0xFFFF);
  do {
    StoreLe(login->ClientId + kClientIdNumberOffset, number++, 2);
  } while (ClientIdTaken(login));
  login->lpClientId = login->ClientId;
}

// The three dictionary records, zero-filled and initialised; all or none.
void DictionaryRecordsMake(ServerLogin* login) {
  OpenFile** records[] = {&login->lpFileDdf, &login->lpIndexDdf, &login->lpFieldDdf};
  bool made = true;
  for (OpenFile** record : records) {
    void* block = DriverAlloc(sizeof(OpenFile));
    if (block != nullptr) std::memset(block, 0, sizeof(OpenFile));
    *record = static_cast<OpenFile*>(block);
    made = made && block != nullptr;
  }
  if (!made) {
    for (OpenFile** record : records) mvbtrMemFree(record);
    mvbtrErrorReport(kErrOutOfMemory, "btrLogin (fileblocks)");
    return;
  }
  for (OpenFile** record : records) {
    mvbtrFileRecordInit(*record, true);
    (*record)->lpLogin = login;
  }
}

// The engine must be of version 8 or later on the platforms that have
// older engines. The call's status is not looked at: an engine that answers
// nothing has nothing to refuse.
void EngineVersionCheck(ServerLogin* login) {
  uint8_t blocks[kVersionBlocks * BTR_VERSION_BLOCK_SIZE] = {};
  uint16_t length = sizeof blocks;
  mvbtrBtrCall(BTR_VERSION, login->lpFileDdf->PosBlock, blocks, &length, nullptr, 0,
               login->lpClientId);
  const int count = (length < sizeof blocks ? length : sizeof blocks) / BTR_VERSION_BLOCK_SIZE;
  for (int i = 0; i < count && mvbtrErrorStatus() == 0; ++i) {
    const uint8_t* block = blocks + i * BTR_VERSION_BLOCK_SIZE;
    const auto version = static_cast<uint16_t>(LoadLe(block, 2));
    const char platform = static_cast<char>(block[kVersionPlatformOffset]);
    if (platform != '\0' && std::strchr(kVersionCheckedPlatforms, platform) != nullptr &&
        version < kEngineVersionMin) {
      mvbtrErrorReport(kErrEngineVersion, kEngineVersionText);
    }
  }
}

// Steps 2 to 9 of a login; the error of the first failing step is pending.
void LoginSteps(const char* server) {
  DriverGlobals* g = mvbtrGlobals();
  if (mvbtrLoginFind(server) != nullptr) mvbtrLogout(server);
  if (mvbtrErrorStatus() != 0) return;

  auto* login = static_cast<ServerLogin*>(BlockNew(sizeof(ServerLogin), "btrLogin"));
  if (login == nullptr) return;
  const std::size_t nameSize = std::strlen(server) + 1;
  login->lpszServer = static_cast<char*>(BlockNew(nameSize, "btrLogin (servername)"));
  if (login->lpszServer == nullptr) {
    mvbtrMemFree(&login);
    return;
  }
  std::memcpy(login->lpszServer, server, nameSize);

  login->lpNext = g->lpLogins;
  if (g->lpLogins != nullptr) g->lpLogins->lpPrev = login;
  g->lpLogins = login;
  ClientIdMake(login);

  DictionaryRecordsMake(login);
  if (mvbtrErrorStatus() == 0) ddfOpen(login);
  if (mvbtrErrorStatus() == 0 && g->lpszLogfilePath != nullptr) {
    mvbtrLogOpen(&g->hLogFile, g->lpszLogfilePath);
  }
  if (mvbtrErrorStatus() == 0 && login->lpFileDdf != nullptr) EngineVersionCheck(login);
}

// Closes the tables of a login (see mvbtrLoginClose).
void TablesClose(ServerLogin* login) {
  for (OpenFile* file = login->lpFiles; file != nullptr && mvbtrErrorStatus() == 0;
       file = file->lpNext) {
    if (mvbtrFileFromHandle(file->hFile) != file) mvbtrErrorReport(kErrLoginFileDetached, nullptr);
  }
  while (login->lpFiles != nullptr && mvbtrErrorStatus() == 0) {
    OpenFile* first = login->lpFiles;
    btrFileClose(first->hFile, 0);
    // A close unlinks the table; one that stays can never be closed here.
    if (login->lpFiles == first && mvbtrErrorStatus() == 0) {
      mvbtrErrorReport(kErrLoginFileDetached, nullptr);
    }
  }
}

}  // namespace

int16_t mvbtrLogin(const char* server) {
  const int16_t init = mvbtrDriverEnsureInit();
  if (!mvbtrDriverIsInit()) return init;
  if (server == nullptr) server = kEmptyName;
  LoginSteps(server);
  if (mvbtrErrorStatus() == 0) return 0;
  // No half-built login stays: the error is held while the login goes.
  const int16_t error = mvbtrErrorTake();
  mvbtrLogout(server);
  return mvbtrErrorRaise(error);
}

void mvbtrLogout(const char* server) {
  if (!mvbtrDriverIsInit()) return;
  DriverGlobals* g = mvbtrGlobals();
  if (server == nullptr) server = kEmptyName;
  const bool all = server[0] == '\0';
  // Closing a login's last table may bring the count of open tables to 0;
  // the logout of every login that AUTO_LOGOUT then asks for waits until
  // this walk is done, so no login goes away under it.
  if (g->bLogoutRunning != 0) {
    if (all) g->bLogoutAllDeferred = 1;
    return;
  }
  g->bLogoutRunning = 1;
  for (ServerLogin* login = g->lpLogins; login != nullptr && mvbtrErrorStatus() == 0;) {
    ServerLogin* next = login->lpNext;
    if (all || NamesEqual(login, server)) mvbtrLoginClose(login);
    login = next;
  }
  g->bLogoutRunning = 0;
  if (g->bLogoutAllDeferred != 0) {
    g->bLogoutAllDeferred = 0;
    mvbtrLogout(kEmptyName);
  }
}

ServerLogin* mvbtrLoginFind(const char* server) {
  if (!mvbtrDriverIsInit()) return nullptr;
  if (server == nullptr) server = kEmptyName;
  for (ServerLogin* login = mvbtrGlobals()->lpLogins; login != nullptr; login = login->lpNext) {
    if (NamesEqual(login, server)) return login;
  }
  return nullptr;
}

ServerLogin* mvbtrLoginDefault() {
  ServerLogin* login = mvbtrLoginFind(kEmptyName);
  if (login == nullptr && mvbtrLogin(kEmptyName) == 0) login = mvbtrLoginFind(kEmptyName);
  return login;
}

int16_t mvbtrLoginClose(ServerLogin* login) {
  DriverGlobals* g = mvbtrGlobals();
  TablesClose(login);
  if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();

  mvbtrMemFree(&login->lpszServer);
  if (login->lpNext != nullptr) login->lpNext->lpPrev = login->lpPrev;
  if (login->lpPrev != nullptr) {
    login->lpPrev->lpNext = login->lpNext;
  } else {
    g->lpLogins = login->lpNext;
  }
  ddfClose(login);
  if (g->hLogFile != nullptr) mvbtrLogClose(&g->hLogFile);
  // Whatever the client still holds (transaction, locks, files) goes.
  mvbtrBtrCall(BTR_RESET, nullptr, nullptr, nullptr, nullptr, 0, login->lpClientId);
  mvbtrMemFree(&login);
  return mvbtrErrorStatus();
}

void mvbtrOpenCountInc() {
  if (mvbtrDriverIsInit()) ++mvbtrGlobals()->nOpenFiles;
}

void mvbtrOpenCountDec() {
  if (!mvbtrDriverIsInit()) return;
  DriverGlobals* g = mvbtrGlobals();
  // A count already at 0 stays there: a close without its open must not
  // keep the next last close from logging out.
  if (g->nOpenFiles <= 0) return;
  if (--g->nOpenFiles == 0 && g->bAutoLogout != 0) mvbtrLogout(kEmptyName);
}

}  // namespace vv::driver

extern "C" {

int16_t VV_CALL btrLogin(const char* server, const char*, const char*) {
  return vv::driver::GuardStatus("btrLogin", [&] { return vv::driver::mvbtrLogin(server); });
}

int16_t VV_CALL btrLogout(const char* server) {
  return vv::driver::GuardStatus("btrLogout", [&] {
    vv::driver::mvbtrLogout(server);
    return int16_t{0};
  });
}

int32_t VV_CALL btrGetServerName(int32_t position, char* buffer, int16_t size) {
  using namespace vv::driver;
  return GuardValue<int32_t>("btrGetServerName", 0, [&] {
    if (!mvbtrDriverIsInit()) {
      if (position > 0) mvbtrErrorReport(kErrServerNotLoggedIn, nullptr);
      return int32_t{0};
    }
    int32_t count = 0;
    for (ServerLogin* login = mvbtrGlobals()->lpLogins; login != nullptr; login = login->lpNext) {
      ++count;
      if (count != position || buffer == nullptr) continue;
      const char* name = login->lpszServer != nullptr ? login->lpszServer : "";
      const std::size_t length = std::strlen(name);
      if (size > 0 && length < static_cast<std::size_t>(size)) {
        std::memcpy(buffer, name, length + 1);
      } else {
        mvbtrErrorReport(kErrBufferTooSmall, "GetServerName");
      }
    }
    if (position < 0 || position > count) mvbtrErrorReport(kErrServerNotLoggedIn, nullptr);
    return count;
  });
}

}  // extern "C"

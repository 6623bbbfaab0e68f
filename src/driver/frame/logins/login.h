// Server logins: the driver's Btrieve clients. A login owns a client
// identifier (every Btrieve call of its tables passes it), its own open
// copies of the dictionary files and the list of tables opened through it.
// The driver globals keep the logins in lpLogins, most recent first; the
// host manages them with btrLogin, btrLogout and btrGetServerName, and the
// driver opens its tables, restructures and conversions through the login
// with the empty server name, made on demand (mvbtrLoginDefault).
//
//   btrLogin(name) --> [logged in: dictionary open, version checked]
//        ^ a login of that name is logged out first     |
//        |                                              | btrLogout(name or ""),
//   (a failed login is logged out again at once)        | AUTO_LOGOUT after the
//                                                       v last table closed
//                                   tables closed, dictionary closed, Reset, freed
//
// A login whose tables cannot all be closed stays, with the error pending.
#ifndef VEVERAVE_DRIVER_FRAME_LOGINS_LOGIN_H_
#define VEVERAVE_DRIVER_FRAME_LOGINS_LOGIN_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// The client identifier: 12 zero bytes, these two characters, then the low
// 16 bits of the clock's seconds at login (little-endian), counted up past
// the numbers of the other logins.
inline constexpr char kClientIdTag[2] = {'M', 'V'};
inline constexpr int kClientIdTagOffset = 12;
inline constexpr int kClientIdNumberOffset = 14;

// An engine that reports one of these platform characters with a version
// below kEngineVersionMin is refused at login.
inline constexpr const char* kVersionCheckedPlatforms = "9DNSTU";
inline constexpr uint16_t kEngineVersionMin = 8;
inline constexpr const char* kEngineVersionText = "Must be version 8 or higher.";

// btrLogin's work (the entry point only guards it). server may be null (as
// empty). Returns 0 when the login stands; a failed login is not left in
// the list and its error is pending.
int16_t mvbtrLogin(const char* server);
// btrLogout's work: closes every login whose name equals server exactly
// (every login for an empty or null name), from the most recent on, while
// no error is pending. Nothing when the driver is not initialised.
void mvbtrLogout(const char* server);

// The most recent login whose name equals server exactly; null when there is
// none or the driver is not initialised.
ServerLogin* mvbtrLoginFind(const char* server);
// The login of the empty server name, logged in when there is none; null
// when that login fails (its error is then pending).
ServerLogin* mvbtrLoginDefault();
// Logs one login out: closes its tables (through btrFileClose), then, unless
// an error is pending, unlinks it, closes its dictionary and the log file,
// resets its Btrieve client and frees it. A table whose host handle no longer
// leads back to it is error 4282. Returns the pending error.
int16_t mvbtrLoginClose(ServerLogin* login);

// The count of open tables (nOpenFiles): up at each table open and
// restructure start, down at each close. When the count comes down to 0 and
// AUTO_LOGOUT is on, every login is logged out; should that come due while a
// logout is already walking the logins, it runs when that walk is done.
void mvbtrOpenCountInc();
void mvbtrOpenCountDec();

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_LOGINS_LOGIN_H_

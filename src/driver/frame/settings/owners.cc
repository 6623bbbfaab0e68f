#include "driver/frame/settings/owners.h"

#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"
#include "veverave/btrieve.h"

namespace vv::driver {

int16_t mvbtrOwnerAdd(const char* name) {
  int16_t status = mvbtrDriverEnsureInit();
  if (!mvbtrDriverIsInit()) return status;
  DriverGlobals* g = mvbtrGlobals();
  if (std::strlen(name) > BTR_OWNER_MAX) {
    mvbtrErrorReport(kErrOwnerTooLong, nullptr);
    return mvbtrErrorStatus();
  }
  OwnerNode** tail = &g->lpOwners;
  for (OwnerNode* node = g->lpOwners; node != nullptr; node = node->lpNext) {
    if (std::strcmp(node->lpszName, name) == 0) return 0;
    tail = &node->lpNext;
  }
  OwnerNode* node = nullptr;
  if (mvbtrMemAlloc(&node, sizeof(OwnerNode)) == nullptr) return mvbtrErrorStatus();
  char unquoted[BTR_OWNER_MAX + 1];
  mvbtrStrCopy(unquoted, sizeof unquoted, name);
  mvbtrStrRemoveQuotes(unquoted);
  if (mvbtrStrNewCpy(&node->lpszName, unquoted) != 0) {
    mvbtrMemFree(&node);
    return mvbtrErrorStatus();
  }
  *tail = node;
  return 0;
}

void mvbtrOwnerClear() {
  DriverGlobals* g = mvbtrGlobals();
  while (g->lpOwners != nullptr) {
    OwnerNode* next = g->lpOwners->lpNext;
    mvbtrMemFree(&g->lpOwners->lpszName);
    mvbtrMemFree(&g->lpOwners);
    g->lpOwners = next;
  }
}

int16_t mvbtrDdfOwnerSet(const char* name) {
  return mvbtrStrNewCpy(&mvbtrGlobals()->lpszDdfOwner, name);
}

}  // namespace vv::driver

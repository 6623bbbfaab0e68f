// The four attribute entry points: the record a call works on, the family
// of its number, the family's check of the first and second number, and the
// row that reads or sets the attribute.
#include <cstring>

#include "driver/attributes/attribute.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "veverave/driver.h"
#include "veverave/host_services.h"

namespace vv::driver {
namespace {

// The attribute numbers of each family.
struct FamilyRange {
  int32_t nFirst;
  int32_t nLast;
  const AttrFamily& (*family)();
};
constexpr FamilyRange kFamilies[] = {
    {101, 199, &mvbtrAttrTableFamily},   {201, 299, &mvbtrAttrFieldFamily},
    {701, 799, &mvbtrAttrFieldFamily},   {301, 399, &mvbtrAttrIndexFamily},
    {401, 499, &mvbtrAttrSegmentFamily},
};

const AttrFamily* FamilyOf(int32_t attr) {
  for (const FamilyRange& range : kFamilies) {
    if (attr >= range.nFirst && attr <= range.nLast) return &range.family();
  }
  return nullptr;
}

const AttrRow* RowFind(const AttrFamily* family, int32_t attr) {
  for (std::size_t i = 0; family != nullptr && i < family->nRows; ++i) {
    if (family->lpRows[i].nNumber == attr) return &family->lpRows[i];
  }
  return nullptr;
}

// An attribute the driver does not offer: error 4285 in the host's strict
// mode, else nothing.
int16_t Unsupported() {
  if (mvbtrHostAttrGetNumeric(0, 0, 0, VV_HOST_ATTR_STRICT) == 1) {
    return mvbtrAttrFail(kErrNotSupported);
  }
  return 0;
}

enum class Target { kGetter, kNumericSetter, kStringSetter };

// The record of the handle and the call's target; error 72 for handle 0 or
// a handle without record, 4110 where a restructure record is needed and
// there is none.
int16_t CallStart(AttrCall* call, Target kind) {
  if (call->hFile != 0 && mvbtrDriverIsInit()) {
    call->lpFile = static_cast<OpenFile*>(mvbtrFileFromHandle(call->hFile));
  }
  if (call->lpFile == nullptr) return mvbtrAttrFail(kErrBadFileHandle);
  call->lpTarget = call->lpFile;
  if (call->hFile < 0) return 0;
  OpenFile* restructure = call->lpFile->lpNewFile;
  const bool needed = kind == Target::kStringSetter ||
                      (kind == Target::kGetter && call->nSelector == kAttrSelectorRestructure);
  if (kind != Target::kGetter || needed) call->lpTarget = restructure;
  if (call->lpTarget == nullptr) {
    if (needed) return mvbtrAttrFail(kErrNoRestructure);
    call->lpTarget = call->lpFile;
  }
  return 0;
}

// Target, family check and row of a call; null when the call ends there
// (an error reported, or an unsupported attribute dealt with).
const AttrRow* CallRow(AttrCall* call, Target kind, bool (*has)(const AttrRow&)) {
  if (CallStart(call, kind) != 0) return nullptr;
  const AttrFamily* family = FamilyOf(call->nAttr);
  const AttrUse use = kind == Target::kGetter ? AttrUse::kGet : AttrUse::kSet;
  if (family != nullptr && family->check(call, use) != 0) return nullptr;
  const AttrRow* row = RowFind(family, call->nAttr);
  if (row == nullptr || !has(*row)) {
    Unsupported();
    return nullptr;
  }
  return row;
}

}  // namespace

int16_t mvbtrAttrFail(int16_t error, const char* text) {
  mvbtrErrorReport(error, text);
  return mvbtrErrorStatus();
}

int16_t mvbtrAttrNeedRestructure(const AttrCall* call) {
  return call->lpTarget->bRestructuring != 0 ? 0 : mvbtrAttrFail(kErrNoRestructure);
}

int32_t mvbtrAttributeGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                 int32_t selector) {
  AttrCall call{hFile, n1, n2, attr, selector, nullptr, nullptr};
  const AttrRow* row =
      CallRow(&call, Target::kGetter, [](const AttrRow& r) { return r.getNumeric != nullptr; });
  int32_t value = 0;
  if (row == nullptr || row->getNumeric(&call, &value) != 0) return 0;
  return value;
}

int16_t mvbtrAttributeGetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer,
                                int32_t size, int32_t selector) {
  if (buffer == nullptr) size = 0;
  if (size > 0) buffer[0] = '\0';
  AttrCall call{hFile, n1, n2, attr, selector, nullptr, nullptr};
  const AttrRow* row =
      CallRow(&call, Target::kGetter, [](const AttrRow& r) { return r.getString != nullptr; });
  if (row == nullptr) return mvbtrErrorStatus();
  AttrText text;
  if (row->getString(&call, &text) != 0) return mvbtrErrorStatus();
  // A text needs room for its terminating NUL as well; bytes do not.
  const std::size_t needed = text.nLength + (text.bBytes ? 0 : 1);
  if (size < 0 || needed > static_cast<std::size_t>(size)) {
    return mvbtrAttrFail(kErrBufferTooSmall, row->lpszName);
  }
  if (text.nLength > 0) std::memcpy(buffer, text.lpData, text.nLength);
  if (!text.bBytes) buffer[text.nLength] = '\0';
  return 0;
}

int16_t mvbtrAttributeSetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                 int32_t value) {
  AttrCall call{hFile, n1, n2, attr, 0, nullptr, nullptr};
  const AttrRow* row = CallRow(&call, Target::kNumericSetter,
                               [](const AttrRow& r) { return r.setNumeric != nullptr; });
  if (row == nullptr) return mvbtrErrorStatus();
  return row->setNumeric(&call, value);
}

int16_t mvbtrAttributeSetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                const char* text) {
  AttrCall call{hFile, n1, n2, attr, 0, nullptr, nullptr};
  const AttrRow* row = CallRow(&call, Target::kStringSetter,
                               [](const AttrRow& r) { return r.setString != nullptr; });
  if (row == nullptr) return mvbtrErrorStatus();
  return row->setString(&call, text != nullptr ? text : "");
}

}  // namespace vv::driver

extern "C" {

int32_t VV_CALL btrAttributeGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                       int32_t selector) {
  return vv::driver::GuardValue<int32_t>("btrAttributeGetNumeric", 0, [&] {
    return vv::driver::mvbtrAttributeGetNumeric(hFile, n1, n2, attr, selector);
  });
}

int16_t VV_CALL btrAttributeGetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                      char* buffer, int32_t size, int32_t selector) {
  return vv::driver::GuardStatus("btrAttributeGetString", [&] {
    return vv::driver::mvbtrAttributeGetString(hFile, n1, n2, attr, buffer, size, selector);
  });
}

// The setters take no selector: a setter's target follows from the handle
// and the open restructure alone.
int16_t VV_CALL btrAttributeSetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                       int32_t value, int32_t) {
  return vv::driver::GuardStatus("btrAttributeSetNumeric", [&] {
    return vv::driver::mvbtrAttributeSetNumeric(hFile, n1, n2, attr, value);
  });
}

int16_t VV_CALL btrAttributeSetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                      const char* text, int32_t) {
  return vv::driver::GuardStatus("btrAttributeSetString", [&] {
    return vv::driver::mvbtrAttributeSetString(hFile, n1, n2, attr, text);
  });
}

}  // extern "C"

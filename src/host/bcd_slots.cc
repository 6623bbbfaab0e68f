// Slots 51 to 56, 72, 74 and 75: the BCD services. Each reports its failure
// on the error channel with a text naming the slot (and the text that is not
// a number) and returns the error number; results with a value return 0 (or
// 0.0) after a failure.
#include <cstring>
#include <string>

#include "host/bcd.h"
#include "host/host_state.h"
#include "host/slot_guard.h"
#include "host/slots.h"

namespace vv::host {
namespace {

const char* ErrorMeaning(int16_t rc) {
  switch (rc) {
    case kErrOverflow:
      return "numeric overflow";
    case kErrDivideByZero:
      return "division by zero";
    case kErrInvalidBcd:
      return "invalid BCD value";
    case kErrNotANumber:
      return "not a number";
    default:
      return "invalid argument";
  }
}

int16_t Report(int16_t rc, const char* slot) {
  if (rc == 0) return 0;
  return HostErrorSet(rc, (std::string(slot) + ": " + ErrorMeaning(rc)).c_str());
}

template <class Op>
int16_t Arithmetic(const char* slot, const VvBcd* a, const VvBcd* b, VvBcd* out, Op op) {
  return Guarded<int16_t>(slot, kErrInternal, [&]() -> int16_t {
    if (a == nullptr || b == nullptr || out == nullptr) return NullArgument(slot);
    VvBcd result;
    if (int16_t rc = op(*a, *b, &result)) return Report(rc, slot);
    *out = result;
    return 0;
  });
}

}  // namespace

int32_t VV_CALL SlotBcdToInt(const VvBcd* value) {
  return Guarded<int32_t>("BcdToInt", 0, [&]() -> int32_t {
    if (value == nullptr) {
      NullArgument("BcdToInt");
      return 0;
    }
    int32_t result = 0;
    if (int16_t rc = BcdToInt(*value, &result)) {
      Report(rc, "BcdToInt");
      return 0;
    }
    return result;
  });
}

int16_t VV_CALL SlotIntToBcd(int32_t value, VvBcd* out) {
  return Guarded<int16_t>("IntToBcd", kErrInternal, [&]() -> int16_t {
    if (out == nullptr) return NullArgument("IntToBcd");
    return Report(BcdFromInt(value, out), "IntToBcd");
  });
}

double VV_CALL SlotBcdToDouble(const VvBcd* value) {
  return Guarded<double>("BcdToDouble", 0.0, [&]() -> double {
    if (value == nullptr) {
      NullArgument("BcdToDouble");
      return 0.0;
    }
    double result = 0.0;
    if (int16_t rc = BcdToDouble(*value, &result)) {
      Report(rc, "BcdToDouble");
      return 0.0;
    }
    return result;
  });
}

int16_t VV_CALL SlotDoubleToBcd(double value, VvBcd* out) {
  return Guarded<int16_t>("DoubleToBcd", kErrInternal, [&]() -> int16_t {
    if (out == nullptr) return NullArgument("DoubleToBcd");
    return Report(BcdFromDouble(value, out), "DoubleToBcd");
  });
}

// Text that is not a number names itself in the error text, cut to fit the
// channel.
int16_t VV_CALL SlotTextToBcd(const char* text, VvBcd* out) {
  return Guarded<int16_t>("TextToBcd", kErrInternal, [&]() -> int16_t {
    if (text == nullptr || out == nullptr) return NullArgument("TextToBcd");
    const int16_t rc = BcdFromText(text, CurrentState().decimalSeparator, out);
    if (rc == kErrNotANumber) {
      return HostErrorSet(rc, ("not a number: " + std::string(text).substr(0, 200)).c_str());
    }
    return Report(rc, "TextToBcd");
  });
}

// The buffer must hold the text: at least width + 1 bytes, and at least
// 25 + decimals bytes for the widest value.
int16_t VV_CALL SlotBcdToText(const VvBcd* value, char* buffer, int32_t width, int32_t decimals) {
  return Guarded<int16_t>("BcdToText", kErrInternal, [&]() -> int16_t {
    if (value == nullptr || buffer == nullptr) return NullArgument("BcdToText");
    std::string text;
    const int16_t rc = BcdToText(*value, width, decimals, CurrentState().decimalSeparator, &text);
    if (rc != 0) {
      buffer[0] = '\0';
      return Report(rc, "BcdToText");
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
  });
}

int16_t VV_CALL SlotBcdAdd(const VvBcd* a, const VvBcd* b, VvBcd* out) {
  return Arithmetic("BcdAdd", a, b, out, BcdAdd);
}

int16_t VV_CALL SlotBcdDivide(const VvBcd* a, const VvBcd* b, VvBcd* out) {
  return Arithmetic("BcdDivide", a, b, out, BcdDivide);
}

int16_t VV_CALL SlotBcdMultiply(const VvBcd* a, const VvBcd* b, VvBcd* out) {
  return Arithmetic("BcdMultiply", a, b, out, BcdMultiply);
}

}  // namespace vv::host

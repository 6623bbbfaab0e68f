// OEM <-> ANSI conversion on POSIX: code page 850 <-> Windows-1252 by the
// tables of codepage_tables.cc (what a Western European Windows does).
#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace vv::platform {

namespace {

void Convert(const unsigned char (&table)[128], char* text, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) text[i] = static_cast<char>(table[c - 0x80]);
  }
}

}  // namespace

void OemToAnsi(char* text, std::size_t n) {
  Convert(internal::kOem850ToAnsi1252, text, n);
}

void AnsiToOem(char* text, std::size_t n) {
  Convert(internal::kAnsi1252ToOem850, text, n);
}

}  // namespace vv::platform

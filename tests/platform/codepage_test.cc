// OEM (code page 850) <-> ANSI (Windows-1252) conversion on POSIX.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace vv::platform {
namespace {

unsigned char ToAnsi(unsigned char oem) {
  char c = static_cast<char>(oem);
  OemToAnsi(&c, 1);
  return static_cast<unsigned char>(c);
}

unsigned char ToOem(unsigned char ansi) {
  char c = static_cast<char>(ansi);
  AnsiToOem(&c, 1);
  return static_cast<unsigned char>(c);
}

TEST(CodePageTest, AsciiAndNulBytesStayAsTheyAre) {
  std::string all;
  for (int b = 0; b < 0x80; ++b) all += static_cast<char>(b);
  std::string text = all;
  OemToAnsi(text.data(), text.size());
  EXPECT_EQ(text, all);
  AnsiToOem(text.data(), text.size());
  EXPECT_EQ(text, all);
}

TEST(CodePageTest, EveryAnsiLatin1ByteRoundTrips) {
  // 1252's 0xA0..0xFF are Latin-1, all of which code page 850 has.
  for (int b = 0xA0; b <= 0xFF; ++b) {
    EXPECT_EQ(ToAnsi(ToOem(static_cast<unsigned char>(b))), b) << std::hex << b;
  }
  EXPECT_EQ(ToAnsi(ToOem(0x83)), 0x83);  // the f with hook is in both
}

TEST(CodePageTest, EveryOemByteEitherRoundTripsOrIsABestFit) {
  int roundTrips = 0;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const unsigned char ansi = ToAnsi(static_cast<unsigned char>(b));
    if (ToOem(ansi) == b) {
      ++roundTrips;
      EXPECT_GE(ansi, 0x80) << std::hex << b;
    } else {
      // Box drawing, shades and blocks have no 1252 counterpart: the best fit
      // is an ASCII look-alike, the broken bar or the macron.
      EXPECT_TRUE(ansi < 0x80 || ansi == 0xA6 || ansi == 0xAF) << std::hex << b;
    }
  }
  EXPECT_EQ(roundTrips, 97);
}

TEST(CodePageTest, KnownLettersAndBestFits) {
  struct Pair {
    unsigned char oem, ansi;
  };
  // Letters both code pages have.
  for (const Pair p : {Pair{0x81, 0xFC} /* u umlaut */, Pair{0x8E, 0xC4} /* A umlaut */,
                       Pair{0x9C, 0xA3} /* pound */, Pair{0xE1, 0xDF} /* sharp s */,
                       Pair{0xA5, 0xD1} /* N tilde */, Pair{0xFF, 0xA0} /* no-break space */}) {
    EXPECT_EQ(ToAnsi(p.oem), p.ansi);
    EXPECT_EQ(ToOem(p.ansi), p.oem);
  }
  // OEM -> ANSI best fits (OemToCharA).
  EXPECT_EQ(ToAnsi(0xC4), '-');   // box light horizontal
  EXPECT_EQ(ToAnsi(0xDA), '+');   // box light down and right
  EXPECT_EQ(ToAnsi(0xB3), 0xA6);  // box light vertical -> broken bar
  EXPECT_EQ(ToAnsi(0xB0), 0xA6);  // light shade
  EXPECT_EQ(ToAnsi(0xDC), '_');   // lower half block
  EXPECT_EQ(ToAnsi(0xD5), 'i');   // dotless i
  EXPECT_EQ(ToAnsi(0xF2), '=');   // double low line
  // ANSI -> OEM best fits (CharToOemA), and the default character.
  EXPECT_EQ(ToOem(0x93), '"');   // left double quotation mark
  EXPECT_EQ(ToOem(0x96), '-');   // en dash
  EXPECT_EQ(ToOem(0x8A), 'S');   // S caron
  EXPECT_EQ(ToOem(0x99), 'T');   // trade mark
  EXPECT_EQ(ToOem(0x95), 0x07);  // bullet
  EXPECT_EQ(ToOem(0x80), '?');   // euro: no best fit in 850
  EXPECT_EQ(ToOem(0x81), '?');   // unassigned in 1252
}

TEST(CodePageTest, ConvertsExactlyTheGivenLength) {
  char text[] = "\x81\x00\x81\x81";
  OemToAnsi(text, 3);
  EXPECT_EQ(std::string(text, 4), std::string("\xFC\x00\xFC\x81", 4));
}

}  // namespace
}  // namespace vv::platform

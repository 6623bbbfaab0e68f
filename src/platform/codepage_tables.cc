// Code page tables for the POSIX OemToAnsi/AnsiToOem: OEM code page 850
// (MS-DOS Latin 1) <-> ANSI code page 1252 (Windows Latin 1), the pair of a
// Western European Windows installation, for bytes 0x80..0xFF (bytes below
// 0x80 are the same in both).
//
// Derivation: each byte is taken to Unicode by the source code page's table
// (code page 850 as in Microsoft's CP850.TXT; 1252 as in bestfit1252.txt's
// MBTABLE, where the five unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D
// stand for U+0081 .. U+009D), then to a byte of the target code page:
//  - when the target code page has the character, its byte (97 bytes in each
//    direction convert this way, and these round-trip exactly);
//  - otherwise the Windows best-fit mapping, which is what OemToCharA and
//    CharToOemA do (they convert through Unicode with the system tables,
//    best fit enabled): for 850 -> 1252 the WCTABLE of Microsoft's
//    bestfit1252.txt (box drawing to '+', '-' or the broken bar 0xA6, shades
//    and blocks to 0xA6, U+0131 dotless i to 'i', U+2017 to '='); for
//    1252 -> 850 the WCTABLE of Microsoft's code page data file for 850
//    (typographic quotes to ASCII quotes, dashes to '-', the ellipsis to '.',
//    S/Z with caron, OE and Y diaeresis to their base letters, the bullet to
//    0x07, the dagger to 0xC5, the double dagger to 0xCE, the trade mark sign
//    to 'T').
//  - characters with no best fit become the code page's default character
//    '?' (0x3F): this is Windows' own fallback and affects only 1252 -> 850
//    (the euro sign 0x80 and the unassigned 0x81, 0x8D, 0x8F, 0x90, 0x9D).
// Every best-fit entry is marked "(best fit)" below.
#include "platform/platform_internal.h"

namespace vv::platform::internal {

// OEM -> ANSI: index 850 byte - 0x80; each line: the 1252 byte, then the 850
// byte and its character.
const unsigned char kOem850ToAnsi1252[128] = {
    0xC7,  // 850 0x80  U+00C7 Latin Capital Letter C With Cedilla
    0xFC,  // 850 0x81  U+00FC Latin Small Letter U With Diaeresis
    0xE9,  // 850 0x82  U+00E9 Latin Small Letter E With Acute
    0xE2,  // 850 0x83  U+00E2 Latin Small Letter A With Circumflex
    0xE4,  // 850 0x84  U+00E4 Latin Small Letter A With Diaeresis
    0xE0,  // 850 0x85  U+00E0 Latin Small Letter A With Grave
    0xE5,  // 850 0x86  U+00E5 Latin Small Letter A With Ring Above
    0xE7,  // 850 0x87  U+00E7 Latin Small Letter C With Cedilla
    0xEA,  // 850 0x88  U+00EA Latin Small Letter E With Circumflex
    0xEB,  // 850 0x89  U+00EB Latin Small Letter E With Diaeresis
    0xE8,  // 850 0x8A  U+00E8 Latin Small Letter E With Grave
    0xEF,  // 850 0x8B  U+00EF Latin Small Letter I With Diaeresis
    0xEE,  // 850 0x8C  U+00EE Latin Small Letter I With Circumflex
    0xEC,  // 850 0x8D  U+00EC Latin Small Letter I With Grave
    0xC4,  // 850 0x8E  U+00C4 Latin Capital Letter A With Diaeresis
    0xC5,  // 850 0x8F  U+00C5 Latin Capital Letter A With Ring Above
    0xC9,  // 850 0x90  U+00C9 Latin Capital Letter E With Acute
    0xE6,  // 850 0x91  U+00E6 Latin Small Letter Ae
    0xC6,  // 850 0x92  U+00C6 Latin Capital Letter Ae
    0xF4,  // 850 0x93  U+00F4 Latin Small Letter O With Circumflex
    0xF6,  // 850 0x94  U+00F6 Latin Small Letter O With Diaeresis
    0xF2,  // 850 0x95  U+00F2 Latin Small Letter O With Grave
    0xFB,  // 850 0x96  U+00FB Latin Small Letter U With Circumflex
    0xF9,  // 850 0x97  U+00F9 Latin Small Letter U With Grave
    0xFF,  // 850 0x98  U+00FF Latin Small Letter Y With Diaeresis
    0xD6,  // 850 0x99  U+00D6 Latin Capital Letter O With Diaeresis
    0xDC,  // 850 0x9A  U+00DC Latin Capital Letter U With Diaeresis
    0xF8,  // 850 0x9B  U+00F8 Latin Small Letter O With Stroke
    0xA3,  // 850 0x9C  U+00A3 Pound Sign
    0xD8,  // 850 0x9D  U+00D8 Latin Capital Letter O With Stroke
    0xD7,  // 850 0x9E  U+00D7 Multiplication Sign
    0x83,  // 850 0x9F  U+0192 Latin Small Letter F With Hook
    0xE1,  // 850 0xA0  U+00E1 Latin Small Letter A With Acute
    0xED,  // 850 0xA1  U+00ED Latin Small Letter I With Acute
    0xF3,  // 850 0xA2  U+00F3 Latin Small Letter O With Acute
    0xFA,  // 850 0xA3  U+00FA Latin Small Letter U With Acute
    0xF1,  // 850 0xA4  U+00F1 Latin Small Letter N With Tilde
    0xD1,  // 850 0xA5  U+00D1 Latin Capital Letter N With Tilde
    0xAA,  // 850 0xA6  U+00AA Feminine Ordinal Indicator
    0xBA,  // 850 0xA7  U+00BA Masculine Ordinal Indicator
    0xBF,  // 850 0xA8  U+00BF Inverted Question Mark
    0xAE,  // 850 0xA9  U+00AE Registered Sign
    0xAC,  // 850 0xAA  U+00AC Not Sign
    0xBD,  // 850 0xAB  U+00BD Vulgar Fraction One Half
    0xBC,  // 850 0xAC  U+00BC Vulgar Fraction One Quarter
    0xA1,  // 850 0xAD  U+00A1 Inverted Exclamation Mark
    0xAB,  // 850 0xAE  U+00AB Left-Pointing Double Angle Quotation Mark
    0xBB,  // 850 0xAF  U+00BB Right-Pointing Double Angle Quotation Mark
    0xA6,  // 850 0xB0  U+2591 Light Shade (best fit)
    0xA6,  // 850 0xB1  U+2592 Medium Shade (best fit)
    0xA6,  // 850 0xB2  U+2593 Dark Shade (best fit)
    0xA6,  // 850 0xB3  U+2502 Box Drawings Light Vertical (best fit)
    0xA6,  // 850 0xB4  U+2524 Box Drawings Light Vertical And Left (best fit)
    0xC1,  // 850 0xB5  U+00C1 Latin Capital Letter A With Acute
    0xC2,  // 850 0xB6  U+00C2 Latin Capital Letter A With Circumflex
    0xC0,  // 850 0xB7  U+00C0 Latin Capital Letter A With Grave
    0xA9,  // 850 0xB8  U+00A9 Copyright Sign
    0xA6,  // 850 0xB9  U+2563 Box Drawings Double Vertical And Left (best fit)
    0xA6,  // 850 0xBA  U+2551 Box Drawings Double Vertical (best fit)
    0x2B,  // 850 0xBB  U+2557 Box Drawings Double Down And Left (best fit)
    0x2B,  // 850 0xBC  U+255D Box Drawings Double Up And Left (best fit)
    0xA2,  // 850 0xBD  U+00A2 Cent Sign
    0xA5,  // 850 0xBE  U+00A5 Yen Sign
    0x2B,  // 850 0xBF  U+2510 Box Drawings Light Down And Left (best fit)
    0x2B,  // 850 0xC0  U+2514 Box Drawings Light Up And Right (best fit)
    0x2D,  // 850 0xC1  U+2534 Box Drawings Light Up And Horizontal (best fit)
    0x2D,  // 850 0xC2  U+252C Box Drawings Light Down And Horizontal (best fit)
    0x2B,  // 850 0xC3  U+251C Box Drawings Light Vertical And Right (best fit)
    0x2D,  // 850 0xC4  U+2500 Box Drawings Light Horizontal (best fit)
    0x2B,  // 850 0xC5  U+253C Box Drawings Light Vertical And Horizontal (best fit)
    0xE3,  // 850 0xC6  U+00E3 Latin Small Letter A With Tilde
    0xC3,  // 850 0xC7  U+00C3 Latin Capital Letter A With Tilde
    0x2B,  // 850 0xC8  U+255A Box Drawings Double Up And Right (best fit)
    0x2B,  // 850 0xC9  U+2554 Box Drawings Double Down And Right (best fit)
    0x2D,  // 850 0xCA  U+2569 Box Drawings Double Up And Horizontal (best fit)
    0x2D,  // 850 0xCB  U+2566 Box Drawings Double Down And Horizontal (best fit)
    0xA6,  // 850 0xCC  U+2560 Box Drawings Double Vertical And Right (best fit)
    0x2D,  // 850 0xCD  U+2550 Box Drawings Double Horizontal (best fit)
    0x2B,  // 850 0xCE  U+256C Box Drawings Double Vertical And Horizontal (best fit)
    0xA4,  // 850 0xCF  U+00A4 Currency Sign
    0xF0,  // 850 0xD0  U+00F0 Latin Small Letter Eth
    0xD0,  // 850 0xD1  U+00D0 Latin Capital Letter Eth
    0xCA,  // 850 0xD2  U+00CA Latin Capital Letter E With Circumflex
    0xCB,  // 850 0xD3  U+00CB Latin Capital Letter E With Diaeresis
    0xC8,  // 850 0xD4  U+00C8 Latin Capital Letter E With Grave
    0x69,  // 850 0xD5  U+0131 Latin Small Letter Dotless I (best fit)
    0xCD,  // 850 0xD6  U+00CD Latin Capital Letter I With Acute
    0xCE,  // 850 0xD7  U+00CE Latin Capital Letter I With Circumflex
    0xCF,  // 850 0xD8  U+00CF Latin Capital Letter I With Diaeresis
    0x2B,  // 850 0xD9  U+2518 Box Drawings Light Up And Left (best fit)
    0x2B,  // 850 0xDA  U+250C Box Drawings Light Down And Right (best fit)
    0xA6,  // 850 0xDB  U+2588 Full Block (best fit)
    0x5F,  // 850 0xDC  U+2584 Lower Half Block (best fit)
    0xA6,  // 850 0xDD  U+00A6 Broken Bar
    0xCC,  // 850 0xDE  U+00CC Latin Capital Letter I With Grave
    0xAF,  // 850 0xDF  U+2580 Upper Half Block (best fit)
    0xD3,  // 850 0xE0  U+00D3 Latin Capital Letter O With Acute
    0xDF,  // 850 0xE1  U+00DF Latin Small Letter Sharp S
    0xD4,  // 850 0xE2  U+00D4 Latin Capital Letter O With Circumflex
    0xD2,  // 850 0xE3  U+00D2 Latin Capital Letter O With Grave
    0xF5,  // 850 0xE4  U+00F5 Latin Small Letter O With Tilde
    0xD5,  // 850 0xE5  U+00D5 Latin Capital Letter O With Tilde
    0xB5,  // 850 0xE6  U+00B5 Micro Sign
    0xFE,  // 850 0xE7  U+00FE Latin Small Letter Thorn
    0xDE,  // 850 0xE8  U+00DE Latin Capital Letter Thorn
    0xDA,  // 850 0xE9  U+00DA Latin Capital Letter U With Acute
    0xDB,  // 850 0xEA  U+00DB Latin Capital Letter U With Circumflex
    0xD9,  // 850 0xEB  U+00D9 Latin Capital Letter U With Grave
    0xFD,  // 850 0xEC  U+00FD Latin Small Letter Y With Acute
    0xDD,  // 850 0xED  U+00DD Latin Capital Letter Y With Acute
    0xAF,  // 850 0xEE  U+00AF Macron
    0xB4,  // 850 0xEF  U+00B4 Acute Accent
    0xAD,  // 850 0xF0  U+00AD Soft Hyphen
    0xB1,  // 850 0xF1  U+00B1 Plus-Minus Sign
    0x3D,  // 850 0xF2  U+2017 Double Low Line (best fit)
    0xBE,  // 850 0xF3  U+00BE Vulgar Fraction Three Quarters
    0xB6,  // 850 0xF4  U+00B6 Pilcrow Sign
    0xA7,  // 850 0xF5  U+00A7 Section Sign
    0xF7,  // 850 0xF6  U+00F7 Division Sign
    0xB8,  // 850 0xF7  U+00B8 Cedilla
    0xB0,  // 850 0xF8  U+00B0 Degree Sign
    0xA8,  // 850 0xF9  U+00A8 Diaeresis
    0xB7,  // 850 0xFA  U+00B7 Middle Dot
    0xB9,  // 850 0xFB  U+00B9 Superscript One
    0xB3,  // 850 0xFC  U+00B3 Superscript Three
    0xB2,  // 850 0xFD  U+00B2 Superscript Two
    0xA6,  // 850 0xFE  U+25A0 Black Square (best fit)
    0xA0,  // 850 0xFF  U+00A0 No-Break Space
};
// ANSI -> OEM: index 1252 byte - 0x80; each line: the 850 byte, then the 1252
// byte and its character.
const unsigned char kAnsi1252ToOem850[128] = {
    0x3F,  // 1252 0x80  U+20AC Euro Sign (best fit)
    0x3F,  // 1252 0x81  U+0081 <control U+0081> (best fit)
    0x27,  // 1252 0x82  U+201A Single Low-9 Quotation Mark (best fit)
    0x9F,  // 1252 0x83  U+0192 Latin Small Letter F With Hook
    0x22,  // 1252 0x84  U+201E Double Low-9 Quotation Mark (best fit)
    0x2E,  // 1252 0x85  U+2026 Horizontal Ellipsis (best fit)
    0xC5,  // 1252 0x86  U+2020 Dagger (best fit)
    0xCE,  // 1252 0x87  U+2021 Double Dagger (best fit)
    0x5E,  // 1252 0x88  U+02C6 Modifier Letter Circumflex Accent (best fit)
    0x25,  // 1252 0x89  U+2030 Per Mille Sign (best fit)
    0x53,  // 1252 0x8A  U+0160 Latin Capital Letter S With Caron (best fit)
    0x3C,  // 1252 0x8B  U+2039 Single Left-Pointing Angle Quotation Mark (best fit)
    0x4F,  // 1252 0x8C  U+0152 Latin Capital Ligature Oe (best fit)
    0x3F,  // 1252 0x8D  U+008D <control U+008D> (best fit)
    0x5A,  // 1252 0x8E  U+017D Latin Capital Letter Z With Caron (best fit)
    0x3F,  // 1252 0x8F  U+008F <control U+008F> (best fit)
    0x3F,  // 1252 0x90  U+0090 <control U+0090> (best fit)
    0x27,  // 1252 0x91  U+2018 Left Single Quotation Mark (best fit)
    0x27,  // 1252 0x92  U+2019 Right Single Quotation Mark (best fit)
    0x22,  // 1252 0x93  U+201C Left Double Quotation Mark (best fit)
    0x22,  // 1252 0x94  U+201D Right Double Quotation Mark (best fit)
    0x07,  // 1252 0x95  U+2022 Bullet (best fit)
    0x2D,  // 1252 0x96  U+2013 En Dash (best fit)
    0x2D,  // 1252 0x97  U+2014 Em Dash (best fit)
    0x7E,  // 1252 0x98  U+02DC Small Tilde (best fit)
    0x54,  // 1252 0x99  U+2122 Trade Mark Sign (best fit)
    0x73,  // 1252 0x9A  U+0161 Latin Small Letter S With Caron (best fit)
    0x3E,  // 1252 0x9B  U+203A Single Right-Pointing Angle Quotation Mark (best fit)
    0x6F,  // 1252 0x9C  U+0153 Latin Small Ligature Oe (best fit)
    0x3F,  // 1252 0x9D  U+009D <control U+009D> (best fit)
    0x7A,  // 1252 0x9E  U+017E Latin Small Letter Z With Caron (best fit)
    0x59,  // 1252 0x9F  U+0178 Latin Capital Letter Y With Diaeresis (best fit)
    0xFF,  // 1252 0xA0  U+00A0 No-Break Space
    0xAD,  // 1252 0xA1  U+00A1 Inverted Exclamation Mark
    0xBD,  // 1252 0xA2  U+00A2 Cent Sign
    0x9C,  // 1252 0xA3  U+00A3 Pound Sign
    0xCF,  // 1252 0xA4  U+00A4 Currency Sign
    0xBE,  // 1252 0xA5  U+00A5 Yen Sign
    0xDD,  // 1252 0xA6  U+00A6 Broken Bar
    0xF5,  // 1252 0xA7  U+00A7 Section Sign
    0xF9,  // 1252 0xA8  U+00A8 Diaeresis
    0xB8,  // 1252 0xA9  U+00A9 Copyright Sign
    0xA6,  // 1252 0xAA  U+00AA Feminine Ordinal Indicator
    0xAE,  // 1252 0xAB  U+00AB Left-Pointing Double Angle Quotation Mark
    0xAA,  // 1252 0xAC  U+00AC Not Sign
    0xF0,  // 1252 0xAD  U+00AD Soft Hyphen
    0xA9,  // 1252 0xAE  U+00AE Registered Sign
    0xEE,  // 1252 0xAF  U+00AF Macron
    0xF8,  // 1252 0xB0  U+00B0 Degree Sign
    0xF1,  // 1252 0xB1  U+00B1 Plus-Minus Sign
    0xFD,  // 1252 0xB2  U+00B2 Superscript Two
    0xFC,  // 1252 0xB3  U+00B3 Superscript Three
    0xEF,  // 1252 0xB4  U+00B4 Acute Accent
    0xE6,  // 1252 0xB5  U+00B5 Micro Sign
    0xF4,  // 1252 0xB6  U+00B6 Pilcrow Sign
    0xFA,  // 1252 0xB7  U+00B7 Middle Dot
    0xF7,  // 1252 0xB8  U+00B8 Cedilla
    0xFB,  // 1252 0xB9  U+00B9 Superscript One
    0xA7,  // 1252 0xBA  U+00BA Masculine Ordinal Indicator
    0xAF,  // 1252 0xBB  U+00BB Right-Pointing Double Angle Quotation Mark
    0xAC,  // 1252 0xBC  U+00BC Vulgar Fraction One Quarter
    0xAB,  // 1252 0xBD  U+00BD Vulgar Fraction One Half
    0xF3,  // 1252 0xBE  U+00BE Vulgar Fraction Three Quarters
    0xA8,  // 1252 0xBF  U+00BF Inverted Question Mark
    0xB7,  // 1252 0xC0  U+00C0 Latin Capital Letter A With Grave
    0xB5,  // 1252 0xC1  U+00C1 Latin Capital Letter A With Acute
    0xB6,  // 1252 0xC2  U+00C2 Latin Capital Letter A With Circumflex
    0xC7,  // 1252 0xC3  U+00C3 Latin Capital Letter A With Tilde
    0x8E,  // 1252 0xC4  U+00C4 Latin Capital Letter A With Diaeresis
    0x8F,  // 1252 0xC5  U+00C5 Latin Capital Letter A With Ring Above
    0x92,  // 1252 0xC6  U+00C6 Latin Capital Letter Ae
    0x80,  // 1252 0xC7  U+00C7 Latin Capital Letter C With Cedilla
    0xD4,  // 1252 0xC8  U+00C8 Latin Capital Letter E With Grave
    0x90,  // 1252 0xC9  U+00C9 Latin Capital Letter E With Acute
    0xD2,  // 1252 0xCA  U+00CA Latin Capital Letter E With Circumflex
    0xD3,  // 1252 0xCB  U+00CB Latin Capital Letter E With Diaeresis
    0xDE,  // 1252 0xCC  U+00CC Latin Capital Letter I With Grave
    0xD6,  // 1252 0xCD  U+00CD Latin Capital Letter I With Acute
    0xD7,  // 1252 0xCE  U+00CE Latin Capital Letter I With Circumflex
    0xD8,  // 1252 0xCF  U+00CF Latin Capital Letter I With Diaeresis
    0xD1,  // 1252 0xD0  U+00D0 Latin Capital Letter Eth
    0xA5,  // 1252 0xD1  U+00D1 Latin Capital Letter N With Tilde
    0xE3,  // 1252 0xD2  U+00D2 Latin Capital Letter O With Grave
    0xE0,  // 1252 0xD3  U+00D3 Latin Capital Letter O With Acute
    0xE2,  // 1252 0xD4  U+00D4 Latin Capital Letter O With Circumflex
    0xE5,  // 1252 0xD5  U+00D5 Latin Capital Letter O With Tilde
    0x99,  // 1252 0xD6  U+00D6 Latin Capital Letter O With Diaeresis
    0x9E,  // 1252 0xD7  U+00D7 Multiplication Sign
    0x9D,  // 1252 0xD8  U+00D8 Latin Capital Letter O With Stroke
    0xEB,  // 1252 0xD9  U+00D9 Latin Capital Letter U With Grave
    0xE9,  // 1252 0xDA  U+00DA Latin Capital Letter U With Acute
    0xEA,  // 1252 0xDB  U+00DB Latin Capital Letter U With Circumflex
    0x9A,  // 1252 0xDC  U+00DC Latin Capital Letter U With Diaeresis
    0xED,  // 1252 0xDD  U+00DD Latin Capital Letter Y With Acute
    0xE8,  // 1252 0xDE  U+00DE Latin Capital Letter Thorn
    0xE1,  // 1252 0xDF  U+00DF Latin Small Letter Sharp S
    0x85,  // 1252 0xE0  U+00E0 Latin Small Letter A With Grave
    0xA0,  // 1252 0xE1  U+00E1 Latin Small Letter A With Acute
    0x83,  // 1252 0xE2  U+00E2 Latin Small Letter A With Circumflex
    0xC6,  // 1252 0xE3  U+00E3 Latin Small Letter A With Tilde
    0x84,  // 1252 0xE4  U+00E4 Latin Small Letter A With Diaeresis
    0x86,  // 1252 0xE5  U+00E5 Latin Small Letter A With Ring Above
    0x91,  // 1252 0xE6  U+00E6 Latin Small Letter Ae
    0x87,  // 1252 0xE7  U+00E7 Latin Small Letter C With Cedilla
    0x8A,  // 1252 0xE8  U+00E8 Latin Small Letter E With Grave
    0x82,  // 1252 0xE9  U+00E9 Latin Small Letter E With Acute
    0x88,  // 1252 0xEA  U+00EA Latin Small Letter E With Circumflex
    0x89,  // 1252 0xEB  U+00EB Latin Small Letter E With Diaeresis
    0x8D,  // 1252 0xEC  U+00EC Latin Small Letter I With Grave
    0xA1,  // 1252 0xED  U+00ED Latin Small Letter I With Acute
    0x8C,  // 1252 0xEE  U+00EE Latin Small Letter I With Circumflex
    0x8B,  // 1252 0xEF  U+00EF Latin Small Letter I With Diaeresis
    0xD0,  // 1252 0xF0  U+00F0 Latin Small Letter Eth
    0xA4,  // 1252 0xF1  U+00F1 Latin Small Letter N With Tilde
    0x95,  // 1252 0xF2  U+00F2 Latin Small Letter O With Grave
    0xA2,  // 1252 0xF3  U+00F3 Latin Small Letter O With Acute
    0x93,  // 1252 0xF4  U+00F4 Latin Small Letter O With Circumflex
    0xE4,  // 1252 0xF5  U+00F5 Latin Small Letter O With Tilde
    0x94,  // 1252 0xF6  U+00F6 Latin Small Letter O With Diaeresis
    0xF6,  // 1252 0xF7  U+00F7 Division Sign
    0x9B,  // 1252 0xF8  U+00F8 Latin Small Letter O With Stroke
    0x97,  // 1252 0xF9  U+00F9 Latin Small Letter U With Grave
    0xA3,  // 1252 0xFA  U+00FA Latin Small Letter U With Acute
    0x96,  // 1252 0xFB  U+00FB Latin Small Letter U With Circumflex
    0x81,  // 1252 0xFC  U+00FC Latin Small Letter U With Diaeresis
    0xEC,  // 1252 0xFD  U+00FD Latin Small Letter Y With Acute
    0xE7,  // 1252 0xFE  U+00FE Latin Small Letter Thorn
    0x98,  // 1252 0xFF  U+00FF Latin Small Letter Y With Diaeresis
};

}  // namespace vv::platform::internal

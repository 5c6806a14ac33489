#include "tools/pack/code_page.h"

// 0x80 to 0x9F; the rest of the code page is Latin-1, byte for code point.
static const uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t Windows1252ToUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

static bool UnicodeToWindows1252(uint32_t code, unsigned char* byte)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        *byte = (unsigned char)code;
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == code) {
            *byte = (unsigned char)(0x80 + i);
            return true;
        }
    return false;
}

// The code point at text[*at] and *at moved past it; false when the bytes there are
// not well-formed UTF-8.
static bool DecodeUtf8(const std::string& text, size_t* at, uint32_t* code)
{
    unsigned char lead = (unsigned char)text[*at];
    int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
              : lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
    if (extra < 0 || text.size() - *at <= (size_t)extra)
        return false;
    uint32_t value = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        unsigned char next = (unsigned char)text[*at + i];
        if ((next & 0xC0) != 0x80)
            return false;
        value = value << 6 | (next & 0x3F);
    }
    static const uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    *at += extra + 1;
    *code = value;
    return true;
}

bool IsUtf8(const std::string& text)
{
    uint32_t code;
    for (size_t at = 0; at < text.size();)
        if (!DecodeUtf8(text, &at, &code))
            return false;
    return true;
}

bool Utf8ToWindows1252(const std::string& text, std::string* converted, uint32_t* unmappable)
{
    converted->clear();
    for (size_t at = 0; at < text.size();) {
        uint32_t code = 0xFFFD;
        unsigned char byte;
        if (!DecodeUtf8(text, &at, &code) || !UnicodeToWindows1252(code, &byte)) {
            *unmappable = code;
            return false;
        }
        *converted += (char)byte;
    }
    return true;
}

unsigned char UpperCase1252(unsigned char byte)
{
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
        return (unsigned char)(byte - 0x20);
    switch (byte) {
    case 0x9A: return 0x8A;  // š Š
    case 0x9C: return 0x8C;  // œ Œ
    case 0x9E: return 0x8E;  // ž Ž
    case 0xFF: return 0x9F;  // ÿ Ÿ
    default: return byte;
    }
}

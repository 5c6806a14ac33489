// Windows-1252, the code page the setup program reads names in: manifests written
// in UTF-8 converted to it, and names compared as Windows compares them.
#pragma once

#include <stdint.h>

#include <string>

// 1 when text is well-formed UTF-8: no overlong forms, no surrogates, nothing past
// U+10FFFF.
bool IsUtf8(const std::string& text);

// The Windows-1252 form of well-formed UTF-8 text. false when a character has none;
// then *unmappable is that character's code point.
bool Utf8ToWindows1252(const std::string& text, std::string* converted, uint32_t* unmappable);

// The character a Windows-1252 byte stands for, as Windows converts it (the five
// unassigned bytes stand for the control characters of the same number).
uint32_t Windows1252ToUnicode(unsigned char byte);

// The byte of the upper-case form of a Windows-1252 byte, as Windows' case table
// gives it for names; the byte itself when it has none in the code page (µ and ß
// have no single upper-case form there).
unsigned char UpperCase1252(unsigned char byte);

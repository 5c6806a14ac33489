// The lines of the deployment log an administrator asks for with -Log FILE: one event a
// line, with its local time to the millisecond, in the ANSI code page, ended by CR LF.
#pragma once

#include <stddef.h>

struct LogTime {
    unsigned year, month, day, hour, minute, second, milliseconds;
};

// A message's 2048 characters, two paths and the time fit.
enum { kDeploymentLineCapacity = 2600 };

// "2026-12-09 10:15:42.123 " and the text and "\r\n" into dest (capacity characters,
// terminator included). Every byte below 0x20, 0x7F and '<' of the text is written as
// '<', two hexadecimal digits and '>' ("<0A>"; a CR right before an LF is dropped), so
// that an event stays one line, no control byte of a text a user wrote reaches the
// file, and no path can be read as an escape. A text too long is cut, the line end
// kept. Returns the length.
size_t FormatDeploymentLine(char* dest, size_t capacity, const LogTime& time, const char* text);

// "error 32: The process cannot access the file." for a Windows error and the text
// Windows gives for it, without that text's own line end; "error 32" without a text.
size_t FormatErrorText(char* dest, size_t capacity, unsigned long code, const char* systemText);

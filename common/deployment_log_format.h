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
// terminator included), every CR and LF of the text written as the two characters
// "\n", so that an event stays one line; a text too long is cut, the line end kept.
// Returns the length.
size_t FormatDeploymentLine(char* dest, size_t capacity, const LogTime& time, const char* text);

// "error 32: The process cannot access the file." for a Windows error and the text
// Windows gives for it, without that text's own line end; "error 32" without a text.
size_t FormatErrorText(char* dest, size_t capacity, unsigned long code, const char* systemText);

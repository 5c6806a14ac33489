// printf-style formatting into a fixed buffer: longer text is cut, never overrun.
#pragma once

#include <stdarg.h>
#include <stddef.h>

// Formats into dest (capacity characters, terminator included); returns the length
// written, at most capacity - 1.
size_t FormatTextV(char* dest, size_t capacity, const char* format, va_list values);
size_t FormatText(char* dest, size_t capacity, const char* format, ...);

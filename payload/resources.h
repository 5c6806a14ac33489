// The "Z" resources of the setup program's own module: located, loaded in place
// and decompressed.
#pragma once

#include <stddef.h>

#include "payload/resource_ids.h"
#include "platform/win32.h"

// Locates resource "Z"/id of the setup state's module: its bytes, read in place,
// and its real size. 0 when it is missing or cannot be loaded.
int FindZResource(int id, const unsigned char** bytes, DWORD* size);

// The text resource id as a new malloc'd NUL-terminated text and its length, or
// null (no message) when it is missing or does not decode.
char* LoadTextResource(int id, size_t* length);

// Unpacks one archive piece; on failure shows "Unable to decompress data" (in
// every mode) and returns 0.
int Unpack(const unsigned char* source, unsigned long storedSize,
           unsigned char* dest, unsigned long size);

// The registry primitives both programs use, with one rule for reading a text.
// Registry failures are never reported: a value that cannot be read is empty, one
// that cannot be written is simply missing.
#pragma once

#include "platform/win32.h"

// Null when the key cannot be opened or created.
HKEY OpenKeyForReading(HKEY hive, const char* path);
HKEY CreateKeyForWriting(HKEY hive, const char* path);

// The buffer receives the value's text, or is empty when the key is null, the value
// is missing, is not REG_SZ or REG_EXPAND_SZ, is not zero-terminated or does not fit.
// 1 when a whole text was read, an empty one included.
int ReadTextValue(HKEY key, const char* name, char* buffer, DWORD size);

// One complete cycle each under HKEY_LOCAL_MACHINE: open or create the key, read or
// write one value, close it.
int ReadMachineValue(const char* path, const char* name, char* buffer, DWORD size);
void WriteMachineValue(const char* path, const char* name, const char* text);

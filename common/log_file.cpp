#include "common/log_file.h"

#include <stdlib.h>

#include "common/contained_delete.h"
#include "common/windows_error.h"

static DWORD ReadWhole(HANDLE file, char* buffer, DWORD size, DWORD* total)
{
    *total = 0;
    while (*total < size) {
        DWORD got = 0;
        if (!ReadFile(file, buffer + *total, size - *total, &got, 0))
            return LastErrorOr(ERROR_READ_FAULT);
        if (got == 0)
            break;
        *total += got;
    }
    return 0;
}

DWORD ReadLogFile(const char* path, LogFile* log, char* realPath)
{
    log->bytes = 0;
    log->length = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_FILE_NOT_FOUND);
    if (realPath)
        RealPathOfHandle(file, realPath);
    DWORD error = 0;
    DWORD size = GetFileSize(file, 0);
    if (size == INVALID_FILE_SIZE || size > kLogSizeLimit)
        error = ERROR_FILE_TOO_LARGE;
    char* buffer = error ? 0 : (char*)malloc(size + 1);
    if (!error && !buffer)
        error = ERROR_NOT_ENOUGH_MEMORY;
    DWORD total = 0;
    if (!error)
        error = ReadWhole(file, buffer, size, &total);
    CloseHandle(file);
    if (error) {
        free(buffer);
        return error;
    }
    buffer[total] = 0;
    log->bytes = buffer;
    log->length = total;
    return 0;
}

void FreeLogFile(LogFile* log)
{
    free(log->bytes);
    log->bytes = 0;
    log->length = 0;
}

LogText LogTextOf(const LogFile& log)
{
    LogText text = {log.bytes, log.bytes + log.length};
    return text;
}

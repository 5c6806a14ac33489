#include "common/file_stamps.h"

#include "common/late_imports.h"

// SetFileInformationByHandle's FileBasicInfo class and its record.
enum { kFileBasicInfo = 0 };
struct FileBasicInfo {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;  // 0: unchanged
    DWORD attributes;
};
static_assert(sizeof(FileBasicInfo) == 40, "FILE_BASIC_INFO's layout");

// The attributes FileBasicInfo may set (FILE_ATTRIBUTE_VALID_SET_FLAGS).
enum { kSettableAttributes = 0x31A7 };

static LARGE_INTEGER TimeOrUnchanged(const FILETIME* time)
{
    LARGE_INTEGER value;
    value.QuadPart = 0;
    if (time) {
        value.LowPart = time->dwLowDateTime;
        value.HighPart = (LONG)time->dwHighDateTime;
    }
    return value;
}

int SetFileStamps(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite,
                  DWORD attributes)
{
    if (!Kernel().setFileInformationByHandle)
        return (!creation && !lastAccess && !lastWrite) || SetFileTime(file, creation, lastAccess, lastWrite);
    FileBasicInfo basic = {TimeOrUnchanged(creation), TimeOrUnchanged(lastAccess), TimeOrUnchanged(lastWrite),
                           TimeOrUnchanged(0), attributes & kSettableAttributes};
    if (!basic.attributes)
        basic.attributes = FILE_ATTRIBUTE_NORMAL;
    return Kernel().setFileInformationByHandle(file, kFileBasicInfo, &basic, sizeof basic) != 0;
}

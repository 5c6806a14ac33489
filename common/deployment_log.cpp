#include "common/deployment_log.h"

#include <stdarg.h>

#include "common/contained_delete.h"
#include "common/deployment_log_format.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/text_format.h"
#include "common/windows_error.h"

static HANDLE g_logFile;  // null while no log is open
static DWORD g_startedAt;
static DWORD g_linesLost;   // since the last line written
static int g_logIncomplete;  // a line of this run was lost

// Administrators put the log in folders that users can write (C:\Temp, a share), and
// an elevated run must not append to a file a user chose. A link at its name, a file
// with other names, or one whose real path is not its folder's real path followed by
// its name (which is how a link at its name shows under Wine) is refused.
static DWORD CheckLogIsItself(HANDLE file, const char* path)
{
    // Before Vista no real path can be read: the log is taken as it stands.
    if (!CanDeleteThroughHandles())
        return 0;
    BY_HANDLE_FILE_INFORMATION facts;
    if (!GetFileInformationByHandle(file, &facts))
        return LastErrorOr(ERROR_CANT_ACCESS_FILE);
    if ((facts.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || facts.nNumberOfLinks > 1)
        return ERROR_CANT_ACCESS_FILE;
    char real[kPathCapacity];
    return StandsAtItsName(file, path, real) == 1 ? 0 : (DWORD)ERROR_CANT_ACCESS_FILE;
}

DWORD OpenDeploymentLog(const char* path)
{
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, 0);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_OPEN_FAILED);
    DWORD error = CheckLogIsItself(file, path);
    if (error) {
        CloseHandle(file);
        return error;
    }
    g_logFile = file;
    g_startedAt = GetTickCount();
    return 0;
}

int Tracing()
{
    return g_logFile != 0;
}

static int WriteLineNow(const char* text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    LogTime time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    char line[kDeploymentLineCapacity];
    DWORD length = (DWORD)FormatDeploymentLine(line, sizeof line, time, text);
    DWORD written;
    return WriteFile(g_logFile, line, length, &written, 0) && written == length;
}

// A line that cannot be written (a dropped share, a full disk) is counted, and the
// next line that can be says how many went before it.
static void WriteLine(const char* text)
{
    if (g_linesLost) {
        char lost[64];
        FormatText(lost, sizeof lost, "%lu lines lost before this one", g_linesLost);
        if (!WriteLineNow(lost)) {
            ++g_linesLost;
            return;
        }
        g_linesLost = 0;
    }
    if (!WriteLineNow(text)) {
        g_linesLost = 1;
        g_logIncomplete = 1;
    }
}

void Trace(const char* format, ...)
{
    if (!Tracing())
        return;
    char text[kDeploymentLineCapacity];
    va_list values;
    va_start(values, format);
    FormatTextV(text, sizeof text, format, values);
    va_end(values);
    WriteLine(text);
}

void DescribeError(DWORD error, char* dest, size_t capacity)
{
    char systemText[512];
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0, error, 0, systemText,
                        sizeof systemText, 0))
        systemText[0] = 0;
    FormatErrorText(dest, capacity, error, systemText);
}

void TraceOutcome(DWORD error, const char* format, ...)
{
    if (!Tracing())
        return;
    char text[kDeploymentLineCapacity];
    va_list values;
    va_start(values, format);
    size_t length = FormatTextV(text, sizeof text - 2, format, values);
    va_end(values);
    text[length++] = ':';
    text[length++] = ' ';
    if (error)
        DescribeError(error, text + length, sizeof text - length);
    else
        CopyText(text + length, sizeof text - length, "ok");
    WriteLine(text);
}

// TOKEN_INFORMATION_CLASS's TokenElevation (Vista): a DWORD, nonzero when elevated.
enum { kTokenElevation = 20 };

static int IsElevated()
{
    HANDLE token;
    DWORD elevated = 0, size;
    // (HANDLE)-1 is what GetCurrentProcess gives: this process.
    if (OpenProcessToken((HANDLE)-1, TOKEN_QUERY, &token)) {
        GetTokenInformation(token, (TOKEN_INFORMATION_CLASS)kTokenElevation, &elevated, sizeof elevated, &size);
        CloseHandle(token);
    }
    return elevated != 0;
}

void TraceStart(const char* program, int unattended, int silent, int allUsers)
{
    if (!Tracing())
        return;
    Trace("%s %s %s started: %s", kProductName, ARBOLIX_VERSION_TEXT, program, GetCommandLineA());
    // Major and minor version in the low word, the build in the high word (NT).
    DWORD version = GetVersion();
    Trace("Windows %lu.%lu.%lu, %selevated; unattended %d, silent %d, all users %d", version & 0xFF,
          (version >> 8) & 0xFF, version >> 16, IsElevated() ? "" : "not ", unattended, silent, allUsers);
}

DWORD TraceEnd(DWORD exitCode, const char* meaning)
{
    if (!Tracing())
        return exitCode;
    if (g_logIncomplete && exitCode == ERROR_SUCCESS) {
        exitCode = kLogFileFailure;
        meaning = "log lines lost";
    }
    char described[512];
    if (!meaning) {
        DescribeError(exitCode, described, sizeof described);
        meaning = described;
    }
    DWORD elapsed = GetTickCount() - g_startedAt;
    Trace("Exit code %lu (%s), after %lu.%03lu s", exitCode, meaning, elapsed / 1000, elapsed % 1000);
    if (!CloseHandle(g_logFile))
        g_logIncomplete = 1;
    g_logFile = 0;
    return g_logIncomplete && exitCode == ERROR_SUCCESS ? (DWORD)kLogFileFailure : exitCode;
}

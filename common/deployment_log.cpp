#include "common/deployment_log.h"

#include <stdarg.h>

#include "common/deployment_log_format.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/text_format.h"
#include "common/windows_error.h"

static HANDLE g_logFile = INVALID_HANDLE_VALUE;
static DWORD g_startedAt;

DWORD OpenDeploymentLog(const char* path)
{
    g_logFile = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, 0);
    if (g_logFile == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_OPEN_FAILED);
    g_startedAt = GetTickCount();
    return 0;
}

int Tracing()
{
    return g_logFile != INVALID_HANDLE_VALUE;
}

static void WriteLine(const char* text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    LogTime time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    char line[kDeploymentLineCapacity];
    DWORD length = (DWORD)FormatDeploymentLine(line, sizeof line, time, text);
    DWORD written;
    WriteFile(g_logFile, line, length, &written, 0);
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

void TraceEnd(DWORD exitCode, const char* meaning)
{
    if (!Tracing())
        return;
    char described[512];
    if (!meaning) {
        DescribeError(exitCode, described, sizeof described);
        meaning = described;
    }
    DWORD elapsed = GetTickCount() - g_startedAt;
    Trace("Exit code %lu (%s), after %lu.%03lu s", exitCode, meaning, elapsed / 1000, elapsed % 1000);
    CloseHandle(g_logFile);
    g_logFile = INVALID_HANDLE_VALUE;
}

/* Runs one installer and prints what it cost:
 *
 *   measure.exe COMMAND LINE...   prints "seconds=S exit=E peak_working_set=B
 *                                 peak_pagefile=B processes=N"
 *   measure.exe --split 32|64 COMMAND LINE...
 *                                 the same, with "extraction=S": when our setup program's
 *                                 uninstall entry appeared in that registry view (deleted
 *                                 first), which it writes first thing after the files
 *   measure.exe --idle            waits for ever (keeps Wine's desktop alive between runs)
 *
 * The peaks are sampled while the installer runs, since Wine can no longer read them
 * once the process has gone; they are the process's own high-water marks, so the
 * last sample before the exit is the peak. A job object counts any processes the
 * installer starts. */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

#include "common/product.h"

static char* SkipFirstToken(char* line)
{
    int quoted = 0;
    for (; *line; ++line) {
        if (*line == '"')
            quoted = !quoted;
        else if (!quoted && (*line == ' ' || *line == '\t'))
            break;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--idle") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    REGSAM splitView = 0;
    if (argc >= 3 && strcmp(argv[1], "--split") == 0)
        splitView = strcmp(argv[2], "32") == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    if (argc < (splitView ? 4 : 2)) {
        fprintf(stderr, "usage: measure.exe [--split 32|64] COMMAND LINE...\n");
        return 2;
    }
    char* command = SkipFirstToken(GetCommandLineA());
    if (splitView) {
        command = SkipFirstToken(SkipFirstToken(command));
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, splitView, 0);
    }
    HANDLE job = CreateJobObjectA(0, 0);
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    LARGE_INTEGER frequency, start, end, split;
    split.QuadPart = 0;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(0, command, 0, 0, FALSE, CREATE_SUSPENDED, 0, 0, &startup, &process)) {
        fprintf(stderr, "measure: cannot start %s (error %lu)\n", command, GetLastError());
        return 1;
    }
    if (job)
        AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);

    SIZE_T peakWorkingSet = 0, peakPagefile = 0;
    for (;;) {
        DWORD waited = WaitForSingleObject(process.hProcess, 5);
        if (waited == WAIT_OBJECT_0)
            break;
        HKEY entry;
        if (splitView && !split.QuadPart &&
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ | splitView, &entry) == ERROR_SUCCESS) {
            QueryPerformanceCounter(&split);
            RegCloseKey(entry);
        }
        PROCESS_MEMORY_COUNTERS counters;
        memset(&counters, 0, sizeof counters);
        if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
            if (counters.PeakWorkingSetSize > peakWorkingSet)
                peakWorkingSet = counters.PeakWorkingSetSize;
            if (counters.PeakPagefileUsage > peakPagefile)
                peakPagefile = counters.PeakPagefileUsage;
        }
    }
    QueryPerformanceCounter(&end);

    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    long processes = -1;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting;
    if (job && QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                         sizeof accounting, 0))
        processes = (long)accounting.TotalProcesses;
    printf("seconds=%.4f exit=%lu peak_working_set=%lu peak_pagefile=%lu processes=%ld",
           (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart, exitCode,
           (unsigned long)peakWorkingSet, (unsigned long)peakPagefile, processes);
    if (split.QuadPart)
        printf(" extraction=%.4f", (double)(split.QuadPart - start.QuadPart) / (double)frequency.QuadPart);
    printf("\n");
    return 0;
}

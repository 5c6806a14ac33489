// The deployment log an administrator asks for with -Log FILE: what a run did, a line
// an event as it happens (common/deployment_log_format.h). Without it every call here
// returns at once, having formatted nothing.
#pragma once

#include "platform/win32.h"

// ERROR_INSTALL_LOG_FAILURE: a log that was asked for and cannot be written ends the run.
enum { kLogFileFailure = 1622 };

// Opens the file for appending (several runs into one file), shared for reading and
// for other runs' appending, created where it does not exist; its folder must exist.
// A link at its name, a file with other names, or one whose real path is not its
// folder's followed by its name is refused (ERROR_CANT_ACCESS_FILE). 0, or the
// Windows error.
DWORD OpenDeploymentLog(const char* path);
int Tracing();

// One line, formatted as printf does; each reaches the system at once, so a run that
// is killed leaves every line before, but the disk only when the system writes it.
void Trace(const char* format, ...);
// The same line with the outcome after it: ": ok" for 0, else ": error N: Windows'
// text for it".
void TraceOutcome(DWORD error, const char* format, ...);

// The run's first lines: the program and version, the command line as given, Windows'
// version, whether the process is elevated, and the modes given.
void TraceStart(const char* program, int unattended, int silent, int allUsers);
// The run's last line: the exit code with its meaning (null: Windows' text for the
// code), and the time the run took. The log is closed then. Returns the code the run
// ends with: 1622 in place of 0 when a line of the log could not be written.
DWORD TraceEnd(DWORD exitCode, const char* meaning);

// "error N: Windows' text for it" into dest.
void DescribeError(DWORD error, char* dest, size_t capacity);

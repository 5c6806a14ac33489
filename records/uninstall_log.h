// The uninstall log in the install folder: a file line for each installed file and
// shortcut, a folder line for each folder setup created (common/log_format.h).
#pragma once

// Creates the install folder, deletes the files the previous log lists (shortcuts
// excepted), and starts the new log with the previous log's folder lines. When the
// log cannot be created the exit code becomes 123 and, unless silent, the user may
// go on without it. 1: go on with the installation; 0: stop it.
int OpenUninstallLog();

// Each line reaches the system as soon as it is written, and the disk within a
// second. Nothing happens without a log. A line that cannot be written, flushed,
// committed or closed sets the exit code to 123.
void LogInstalledFile(const char* path);
void LogCreatedFolder(const char* folder);

// Creates the folder chain and logs the folder only when it did not exist before.
void CreateFolderAndLogIt(const char* folder);

// Commits what the log holds to the disk now (before the registry records name it).
void CommitUninstallLog();

// Commits and closes the log.
void CloseUninstallLog();

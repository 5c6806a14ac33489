// The runtime the application needs, installed by its own installer program.
#pragma once

extern const char kRuntimeDownloadAddress[];

// Starts the runtime installer, "InstallMfcDLL.exe /silent" from the setup program's
// own folder, once per run; when it cannot be started, marks the runtime missing and
// offers its download page.
void InstallRuntimePrerequisite();

// The setup program's options, parsed from the C runtime's argument vector.
#pragma once

struct CommandLineOptions {
    const char* folder;   // value of the last -Path or -PathDefault, or null
    int folderForced;     // any -Path was seen
    int unattended;       // -U or -USilent
    int silent;           // -USilent
    int currentUserOnly;  // -CU
    const char* logFile;  // value of the last -Log, or null
};

// Options start with '-' or '/' and are compared without regard to case; anything
// else is ignored. A -Path, -PathDefault or -Log without a following token is ignored.
void ParseCommandLine(int argc, char* const* argv, CommandLineOptions* options);

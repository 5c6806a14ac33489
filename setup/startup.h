// What the entry does before the dialog: hardening and the command line.
#pragma once

// Restricts DLL loading to the system directory where Windows offers it, so a DLL
// planted next to a downloaded setup program is never loaded.
void RestrictDllSearchPath();

// Applies the options of the argument vector to the setup state.
void ApplyCommandLine(int argc, char* const* argv);

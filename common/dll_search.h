// DLL search hardening, the first thing each program's entry does.
#pragma once

// Restricts DLL loading to the system directory where Windows offers it, so a DLL
// planted next to a downloaded setup program is never loaded.
void RestrictDllSearchPath();

// Loads the common controls 6 that the manifest names, once the restriction holds.
// Microsoft's rule for such programs is to call InitCommonControls, which only makes
// the program import comctl32 so that it loads and registers the controls' classes;
// but comctl32 is not a known DLL, and an import would be looked for beside the
// program before the restriction could apply.
void LoadCommonControls();

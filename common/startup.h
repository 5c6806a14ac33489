// What each program's entry does first: start-up hardening.
#pragma once

// Restricts DLL loading to the system directory where Windows offers it, so a DLL
// planted next to a downloaded setup program is never loaded.
void RestrictDllSearchPath();

// Placeholder for the uninstaller the default payload carries as "Uninstall.exe",
// until the real one is built from this repository.
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(0, "This build of Arbolix Beta 2.b20e has no uninstaller yet.", "Arbolix Beta Uninstall",
                MB_OK | MB_ICONINFORMATION);
    return 0;
}

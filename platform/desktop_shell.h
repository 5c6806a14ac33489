// The seam for starting a program or an address as the desktop's user. Setup runs
// elevated; what it starts itself runs elevated too, with an administrator's rights
// and profile. The desktop's own shell (Explorer) starts it as the signed-in user.
// The setup program links the real shell; the Windows tests link a scripted one.
#pragma once

struct DesktopShell;

// The desktop's shell, asked for from a thread that has COM: null when none answers
// (none runs, a service, session 0). Asking takes a while (a round trip to another
// process and a few more), so a caller that knows it will start something asks early.
DesktopShell* PlatformFindDesktopShell();

// Asks the shell to open file (a program's path or an address) with the parameters
// given (null: none), as a double click would. 1 when the shell took the request.
int PlatformOpenAsDesktopUser(DesktopShell* shell, const char* file, const char* parameters);

// Lets go of a shell found (null: none found), on the thread that found it.
void PlatformReleaseDesktopShell(DesktopShell* shell);

// What the deployment log adds to a start the desktop's shell took.
inline constexpr char kThroughDesktopShell[] = " through the desktop's shell";

// Saves one shortcut with the setup program's own code: make_link <link> <target>.
#include "platform/win32.h"
#include "shell/shortcuts.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    CoInitialize(0);
    return CreateShellLink(argv[1], argv[2], 0) ? 0 : 1;
}

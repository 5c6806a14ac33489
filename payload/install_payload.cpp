#include "payload/install_payload.h"

#include "common/prompts.h"
#include "common/setup_state.h"
#include "payload/install_entry.h"
#include "payload/module_resources.h"
#include "platform/win32.h"

int InstallPayload()
{
    ArchiveReader reader;
    int opened = OpenPayloadArchive(&reader);
    if (opened != kArchiveOpened) {
        // Going on would report a successful installation with nothing installed.
        // Silently the code alone says so: a box would wait for a person.
        if (opened == kArchiveAbsent && !g_setup.silent)
            ShowMessage(MB_OK | MB_ICONEXCLAMATION, "Unable to decompress data");
        g_setup.exitCode = ERROR_WRITE_FAULT;
        return 0;
    }
    DirectoryEntry entry;
    while (NextArchiveEntry(&reader, &entry)) {
        unsigned long result;
        do
            result = InstallEntry(&entry);
        while (result == ERROR_RETRY);
        if (result != ERROR_SUCCESS) {
            CloseArchive(&reader);
            return 0;
        }
    }
    CloseArchive(&reader);
    return 1;
}

#include "payload/install_payload.h"

#include "common/prompts.h"
#include "payload/install_entry.h"
#include "payload/module_resources.h"
#include "state/setup_state.h"

// Asks about the entry's failures until it is installed, skipped or abandoned.
static unsigned long InstallEntryUntilSettled(const DirectoryEntry* entry, DWORD* lastFailure)
{
    unsigned long result;
    do {
        DWORD failure;
        result = InstallEntry(entry, &failure);
        if (failure)
            *lastFailure = failure;
    } while (result == ERROR_RETRY);
    return result;
}

int InstallPayload(DWORD* failure)
{
    *failure = 0;
    ArchiveReader reader;
    int opened = OpenPayloadArchive(&reader);
    if (opened != kArchiveOpened) {
        // Going on would report a successful installation with nothing installed.
        // Silently the code alone says so: a box would wait for a person.
        if (opened == kArchiveAbsent && !g_setup.silent)
            ShowMessage(MB_OK | MB_ICONEXCLAMATION, "Unable to decompress data");
        *failure = ERROR_WRITE_FAULT;
        return 0;
    }
    DirectoryEntry entry;
    int walked = 1;
    while (walked && NextArchiveEntry(&reader, &entry))
        walked = InstallEntryUntilSettled(&entry, failure) == ERROR_SUCCESS;
    CloseArchive(&reader);
    return walked;
}

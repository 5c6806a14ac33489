#include "payload/install_payload.h"

#include "common/contained_create.h"
#include "common/contained_delete.h"
#include "common/prompts.h"
#include "payload/inflate_ahead.h"
#include "payload/install_entry.h"
#include "payload/module_resources.h"
#include "resources/resource_ids.h"
#include "state/setup_state.h"
#include "state/status_line.h"

// Asks about the entry's failures until it is installed, skipped or abandoned. A
// retried deflated entry is inflated again from its stored bytes.
static unsigned long InstallEntryUntilSettled(const ArchiveReader* start, const DirectoryEntry* entry,
                                              DWORD* lastFailure)
{
    unsigned long result;
    for (;;) {
        DWORD failure;
        result = InstallEntry(entry, &failure);
        if (failure)
            *lastFailure = failure;
        if (result != ERROR_RETRY)
            return result;
        // The retry's own failure is the one the run ends with, not the entry's earlier one.
        if (entry->storedSize != entry->size && !StartInflatingAhead(start, entry->index)) {
            SayUnableToDecompress();
            *lastFailure = ERROR_WRITE_FAULT;
            return ERROR_WRITE_FAULT;
        }
    }
}

int CheckFilesNotInUse(DWORD* failure)
{
    *failure = 0;
    const unsigned char* bytes;
    DWORD size;
    ArchiveReader reader;
    // An archive that cannot be read is reported when it is installed.
    if (!FindZResource(IDR_PAYLOAD_ARCHIVE, &bytes, &size) || !OpenArchiveBytes(&reader, bytes, size))
        return 1;
    // The folder is not held yet: its real path is read here, as holding it reads it.
    char realFolder[kPathCapacity];
    RealPathOf(g_setup.installFolder, realFolder);
    const char* bounds = CanDeleteThroughHandles() ? realFolder : kWhereItStands;
    DirectoryEntry entry;
    unsigned long result = 0;
    while (!result && NextArchiveEntry(&reader, &entry)) {
        DWORD entryFailure;
        result = CheckEntryNotInUse(&entry, bounds, &entryFailure);
        if (entryFailure)
            *failure = entryFailure;
    }
    CloseArchive(&reader);
    return !result;
}

int InstallPayload(DWORD* failure)
{
    *failure = 0;
    ArchiveReader reader;
    int opened = OpenPayloadArchive(&reader);
    if (opened == kArchiveOpened && !StartInflatingAhead(&reader, 0)) {
        SayUnableToDecompress();
        opened = kArchiveUnreadable;
    }
    if (opened != kArchiveOpened) {
        // Going on would report a successful installation with nothing installed.
        // Silently the code alone says so: a box would wait for a person.
        if (opened == kArchiveAbsent && !g_setup.silent)
            SayUnableToDecompress();
        CloseArchive(&reader);
        *failure = ERROR_WRITE_FAULT;
        return 0;
    }
    const ArchiveReader start = reader;
    DirectoryEntry entry;
    int walked = 1;
    while (walked && NextArchiveEntry(&reader, &entry)) {
        walked = InstallEntryUntilSettled(&start, &entry, failure) == ERROR_SUCCESS;
        KeepWindowsAnswering();
    }
    // At once on Abort: the thread may be inflating entries that will never be written.
    StopInflatingAhead();
    CloseArchive(&reader);
    return walked;
}

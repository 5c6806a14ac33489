#include "payload/payload_archive.h"

#include <string.h>

#include "common/prompts.h"
#include "payload/resources.h"

int OpenPayloadArchive(ArchiveReader* reader)
{
    // Whatever the outcome, closing the reader afterwards is harmless.
    memset(reader, 0, sizeof *reader);
    const unsigned char* bytes;
    DWORD size;
    if (!FindZResource(kPayloadArchiveResource, &bytes, &size))
        return kArchiveAbsent;
    // A malformed directory is reported like one that does not unpack.
    if (!OpenArchiveBytes(reader, bytes, size)) {
        ShowMessage(MB_OK | MB_ICONEXCLAMATION, "Unable to decompress data");
        return kArchiveUnreadable;
    }
    return kArchiveOpened;
}

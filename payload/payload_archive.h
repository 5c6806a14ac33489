// The payload archive of the setup program's own module, resource "Z"/110.
#pragma once

#include "payload/archive_reader.h"

enum PayloadArchiveResult {
    kArchiveAbsent,      // no resource "Z"/110: nothing to install, no message
    kArchiveUnreadable,  // "Unable to decompress data" has been shown
    kArchiveOpened,      // the reader stands before the first entry; close it
};

// The reader is cleared first, so CloseArchive may be called after any outcome.
int OpenPayloadArchive(ArchiveReader* reader);

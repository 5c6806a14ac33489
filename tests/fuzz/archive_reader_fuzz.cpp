// libFuzzer target: any bytes as a payload archive. The reader must refuse or walk
// them without reading outside the input, and every entry it gives must lie inside.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "payload/archive_reader.h"
#include "payload/unpack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ArchiveReader reader;
    if (!OpenArchiveBytes(&reader, data, size))
        return 0;
    DirectoryEntry entry;
    while (NextArchiveEntry(&reader, &entry)) {
        size_t nameLength = strlen(entry.name);
        if ((const unsigned char*)entry.name + nameLength >= reader.directory + reader.directorySize)
            abort();
        if (entry.data < data || entry.storedSize > (size_t)(data + size - entry.data))
            abort();
        // Unpacking is what the installer does next; keep it to pieces of sane size.
        if (entry.size <= (1u << 20)) {
            unsigned char* out = (unsigned char*)malloc(entry.size ? entry.size : 1);
            UnpackPiece(entry.data, entry.storedSize, out, entry.size);
            free(out);
        }
    }
    CloseArchive(&reader);
    return 0;
}

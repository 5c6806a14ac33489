// libFuzzer target: any bytes as a payload archive. The reader must refuse or walk
// them without reading outside the input, every entry it gives must lie inside,
// and the packer's diagnosis must agree with the reader.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "payload/archive_reader.h"
#include "payload/decompress.h"
#include "tools/pack/archive_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ArchiveReader reader;
    int opened = OpenArchiveBytes(&reader, data, size);
    bool sound = FindArchiveFault(Bytes(data, data + size)).empty();
    if (opened != (int)sound)
        abort();
    if (!opened)
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

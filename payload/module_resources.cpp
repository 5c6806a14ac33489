#include "payload/module_resources.h"

#include <string.h>
#include <zlib.h>

#include "common/prompts.h"
#include "payload/little_endian.h"
#include "payload/text_resource.h"
#include "resources/resource_ids.h"
#include "state/setup_state.h"

void SayUnableToDecompress()
{
    ShowMessage(MB_OK | MB_ICONEXCLAMATION, "Unable to decompress data");
}

int FindZResource(int id, const unsigned char** bytes, DWORD* size)
{
    HRSRC resource = FindResourceA(g_setup.module, MAKEINTRESOURCEA(id & 0xFFFF), "Z");
    if (!resource)
        return 0;
    HGLOBAL loaded = LoadResource(g_setup.module, resource);
    if (!loaded)
        return 0;
    *bytes = (const unsigned char*)loaded;
    *size = SizeofResource(g_setup.module, resource);
    return 1;
}

char* LoadTextResource(int id, size_t* length)
{
    const unsigned char* bytes;
    DWORD size;
    if (!FindZResource(id, &bytes, &size))
        return 0;
    return DecodeTextResource(bytes, size, length);
}

int PayloadIsIntact()
{
    const unsigned char *checksum, *archive;
    DWORD checksumSize, archiveSize;
    if (!FindZResource(IDR_PAYLOAD_CHECKSUM, &checksum, &checksumSize))
        return 1;
    // A checksum names an archive: one that is gone was cut out of the program.
    return FindZResource(IDR_PAYLOAD_ARCHIVE, &archive, &archiveSize) && checksumSize == 4 &&
           crc32_z(0, archive, archiveSize) == ReadWord32(checksum);
}

int OpenPayloadArchive(ArchiveReader* reader)
{
    // Whatever the outcome, closing the reader afterwards is harmless.
    memset(reader, 0, sizeof *reader);
    const unsigned char* bytes;
    DWORD size;
    if (!FindZResource(IDR_PAYLOAD_ARCHIVE, &bytes, &size))
        return kArchiveAbsent;
    // A malformed directory is reported like one that does not unpack.
    if (!OpenArchiveBytes(reader, bytes, size)) {
        SayUnableToDecompress();
        return kArchiveUnreadable;
    }
    return kArchiveOpened;
}

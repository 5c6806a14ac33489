#include "payload/resources.h"

#include "common/prompts.h"
#include "common/setup_state.h"
#include "payload/text_resource.h"
#include "payload/unpack.h"

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

int Unpack(const unsigned char* source, unsigned long storedSize,
           unsigned char* dest, unsigned long size)
{
    if (UnpackPiece(source, storedSize, dest, size))
        return 1;
    ShowMessage(MB_OK | MB_ICONEXCLAMATION, "Unable to decompress data");
    return 0;
}

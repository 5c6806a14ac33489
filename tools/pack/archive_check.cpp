#include "tools/pack/archive_check.h"

#include <string.h>
#include <zlib.h>

#include "payload/archive_format.h"
#include "payload/decompress.h"
#include "payload/little_endian.h"

std::string EntryLabel(size_t index, const std::string& name)
{
    return "entry " + std::to_string(index) + " \"" + name + "\"";
}

std::string EntryNameFault(const DirectoryEntry& entry, size_t index, TargetNameIndex* names)
{
    std::string label = EntryLabel(index, entry.name);
    std::string fault = TargetNameProblem(entry.name);
    if (fault.empty())
        AddTargetName(names, entry.name, entry.flags & kInSystemDirectory, label, &fault);
    return fault.empty() ? "" : label + ": " + fault;
}

std::string FindArchiveFault(const Bytes& archive)
{
    if (archive.size() < kArchiveHeaderSize)
        return "the archive is shorter than its 8-byte header";
    uint32_t storedSize = ReadWord32(archive.data());
    uint32_t size = ReadWord32(archive.data() + 4);
    if (storedSize > archive.size() - kArchiveHeaderSize)
        return "the directory's " + std::to_string(storedSize) + " stored bytes run past the end of the archive";
    if (storedSize != size && (uint64_t)size > (uint64_t)storedSize * kMaximumInflateRatio)
        return "the directory's " + std::to_string(storedSize) + " stored bytes cannot unpack to "
               + std::to_string(size) + " bytes";
    Bytes directory(size);
    if (storedSize == size) {
        if (size) memcpy(directory.data(), archive.data() + 8, size);
    } else {
        unsigned long produced = size;
        int status = InflateWholeBuffer(directory.data(), &produced, archive.data() + 8, storedSize);
        if (status != Z_OK || produced != size)
            return "the directory does not unpack to its " + std::to_string(size) + " bytes";
    }
    size_t offset = 0;
    size_t data = kArchiveHeaderSize + Align4(storedSize);
    for (size_t index = 1;; ++index) {
        if (offset + 4 > directory.size())
            return "the directory has no end marker (entry " + std::to_string(index) + " would start past it)";
        uint32_t flags = ReadWord32(directory.data() + offset);
        if (flags == 0)
            return "";
        size_t nameOffset = offset + ((flags & kVersionGated) ? kEntryGatedNameOffset : kEntryNameOffset);
        if (nameOffset >= directory.size())
            return "entry " + std::to_string(index) + " runs past the end of the directory";
        const void* nul = memchr(directory.data() + nameOffset, 0, directory.size() - nameOffset);
        if (!nul)
            return "the name of entry " + std::to_string(index) + " runs past the end of the directory";
        std::string name((const char*)directory.data() + nameOffset);
        uint32_t entryStored = ReadWord32(directory.data() + offset + kEntryStoredSizeOffset);
        if (entryStored && (data > archive.size() || entryStored > archive.size() - data))
            return EntryLabel(index, name) + ": its " + std::to_string(entryStored)
                   + " stored bytes run past the end of the archive";
        offset = (nameOffset + name.size() + 1 + 3) & ~(size_t)3;
        data += ((size_t)entryStored + 3) & ~(size_t)3;
    }
}

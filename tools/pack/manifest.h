// The packer's manifest: one archive entry a line, in archive order.
//
//   SOURCE  TARGET  [key=value ...]
//
// SOURCE is a file (a relative one is looked for in the given folders in turn: the
// manifest's own, then any --source-dir) or "-" for an entry without
// data (a runtime prerequisite); TARGET is the relative name with '\' separators.
// Words are separated by blanks; a word with blanks goes in double quotes. '#'
// starts a comment line. Keys: base=install|system, flags=NAME,NAME|0xHEX,
// version=a.b.c.d, attributes=0xHEX, created=/accessed=/written=/times=TIME,
// storage=zlib|gzip|stored|raw, size=N. storage=raw puts the source's bytes in
// the archive as they are, with size=N as the size the entry claims: tests use it
// to ship damaged pieces. size= is otherwise only for VersionGated entries without
// data (a runtime prerequisite).
#pragma once

#include <string>
#include <vector>

#include "tools/pack/archive_writer.h"

struct ManifestEntry {
    int line = 0;
    std::string source;          // "" for an entry without data
    PackEntry entry;             // data not yet read
    bool timesGiven[3] = {false, false, false};  // creation, last access, last write
    bool rawSizeGiven = false;
};

// Parses the manifest text; on a fault, false and a message naming the line.
bool ParseManifest(const std::string& text, const std::vector<std::string>& folders,
                   std::vector<ManifestEntry>* entries, std::string* error);

// Reads every source and fills in the data and the times that were not given: the
// source's modification time, or sourceDateEpoch (Unix seconds) when hasEpoch.
bool LoadManifestSources(std::vector<ManifestEntry>* entries, bool hasEpoch,
                         int64_t sourceDateEpoch, std::string* error);

// A target name the installer can join to a folder: relative, '\' separators, no
// empty, "." or ".." parts, no drive or stream colon, shorter than MAX_PATH.
bool IsValidTargetName(const std::string& name, std::string* why);

// The packer's manifest: one archive entry a line, in archive order.
//
//   SOURCE  TARGET  [key=value ...]
//
// SOURCE is a file (a relative one is looked for in the given folders in turn: the
// manifest's own, then any --source-dir) or "-" for an entry without data (a runtime
// prerequisite); TARGET is the relative name with '\' separators. Words are
// separated by blanks; a word with blanks goes in double quotes. A line whose first
// word starts with an unquoted '#' is a comment. A manifest that is UTF-8 (or starts
// with its byte order mark) has its names converted to Windows-1252; any other is
// read as Windows-1252. Keys: base=install|system, flags=NAME,NAME|NUMBER,
// version=a.b.c.d, attributes=NUMBER, created=/accessed=/written=/times=TIME,
// storage=zlib|gzip|stored|raw, size=NUMBER. storage=raw puts the source's bytes in
// the archive as they are, with size=N as the size the entry claims: tests use it to
// ship damaged pieces. size= is otherwise only for VersionGated entries without data
// (a runtime prerequisite).
#pragma once

#include <string>
#include <vector>

#include "tools/pack/archive_writer.h"

struct ManifestEntry {
    int line = 0;
    std::string source;          // the path found, "" for an entry without data
    std::string sourceWord;      // as the manifest writes it
    std::string searched;        // the folders a relative source was not found in
    uint64_t sourceSize = 0;
    PackEntry entry;             // data not yet read
    bool timesGiven[3] = {false, false, false};  // creation, last access, last write
    bool rawSizeGiven = false;
};

// Parses the manifest text; on a fault, false and a message naming the line.
bool ParseManifest(const std::string& text, const std::vector<std::string>& folders,
                   std::vector<ManifestEntry>* entries, std::string* error);

// Checks every source before any is read (a regular file of at most 4 GiB; not empty
// for a VersionGated entry, which would be taken for a runtime prerequisite) and
// fills in the times that were not given: the source's modification time, or
// sourceDateEpoch (Unix seconds) when hasEpoch.
bool CheckManifestSources(std::vector<ManifestEntry>* entries, bool hasEpoch, int64_t sourceDateEpoch,
                          std::string* error);

// Reads the entry's source into its data, unless it has none.
bool ReadManifestSource(ManifestEntry* item, std::string* error);

// Reads and parses the manifest at path; relative sources are looked for next to it,
// then in sourceDirs. On a fault, false and a message naming the manifest.
bool ReadManifest(const std::string& path, const std::vector<std::string>& sourceDirs,
                  std::vector<ManifestEntry>* entries, std::string* error);

// The entry with a source that installs the uninstaller ("Uninstall.exe" in the install
// folder, the name compared as Windows compares names); null when there is none.
ManifestEntry* FindUninstallerEntry(std::vector<ManifestEntry>* entries);

// Adds source as the last entry, the uninstaller, for a manifest that has none (with
// the default keys). false and *error when an entry is in its way.
bool AddDefaultUninstaller(std::vector<ManifestEntry>* entries, const std::string& source, std::string* error);

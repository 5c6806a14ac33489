// Says what is wrong with an archive the reader refuses, or with an entry the setup
// program would not install, naming the entry.
#pragma once

#include <string>

#include "payload/archive_reader.h"
#include "tools/pack/bytes.h"
#include "tools/pack/target_names.h"

// "" when the layout is sound (header, directory, every entry and its stored bytes);
// otherwise one sentence naming the first fault.
std::string FindArchiveFault(const Bytes& archive);

// The entry for messages: its number from 1 and its name in quotes.
std::string EntryLabel(size_t index, const std::string& name);

// "" when the setup program installs an entry of this name and no earlier entry in
// names is the same file on Windows, or a file or folder in its way; otherwise the
// fault, naming the entry (its number from 1). Adds the name to names.
std::string EntryNameFault(const DirectoryEntry& entry, size_t index, TargetNameIndex* names);

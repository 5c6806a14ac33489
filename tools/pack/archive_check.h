// Says what is wrong with an archive the reader refuses, naming the entry.
#pragma once

#include <string>

#include "tools/pack/file_io.h"

// "" when the layout is sound (header, directory, every entry and its stored bytes);
// otherwise one sentence naming the first fault.
std::string FindArchiveFault(const Bytes& archive);

// The entry for messages: its number from 1 and its name in quotes.
std::string EntryLabel(size_t index, const std::string& name);

// A fresh install folder, payload archives made by the writer and placed as the
// resource "Z"/110 of a module, and one installation attempt run as the install
// sequence runs it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "state/setup_state.h"
#include "tools/pack/archive_writer.h"

// The three times every fixture entry carries: all different.
extern const uint64_t kCreationTime;
extern const uint64_t kLastAccessTime;
extern const uint64_t kLastWriteTime;

PackEntry FileEntry(const std::string& name, const std::string& data, uint32_t flags = 0x01,
                    PieceStorage storage = PieceStorage::Zlib);
std::string PatternedData(size_t size, unsigned seed);
std::string Probe(const char* name);  // a probe program's path

// An installed file: read-only, the entry's times, the entry's bytes.
void ExpectInstalled(const std::string& path, const std::string& data);

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // g_setup.module becomes a copy of a small program whose "Z"/110 holds the archive.
    void UseArchive(const Bytes& archive);
    void UseEntries(const std::vector<PackEntry>& entries) { UseArchive(BuildArchive(entries)); }

    // Start the log, install the payload, close the log as the install sequence does;
    // the result of install payload, and the attempt's code in exitCode.
    int InstallAttempt();
    std::string Log() const;
    std::string Question(const std::string& file, const std::string& reason) const;

    SetupState saved;
    DWORD exitCode = 0;
    std::string root;    // a temporary folder
    std::string folder;  // the install folder inside it, not yet created
    HMODULE archiveModule = 0;
    int hostCopies = 0;
};

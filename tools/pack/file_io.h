// Reading and writing the packer's files. Every output is written whole or not at
// all: into a temporary file beside it, which takes its name only once complete, so
// a failure leaves the earlier file (or none) at the output path, never a cut one.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tools/pack/bytes.h"

// The largest file any command reads: sizes in the archive and its resource are 32-bit.
const uint64_t kLargestInput = 0xFFFFFFFFull;

// Why the path is no readable file, in words ("no such file or folder", "it is a
// folder", "it has N bytes, more than..."); "" when it is a regular file of at most
// limit bytes, described by *status.
std::string InputFileProblem(const std::string& path, struct stat* status, uint64_t limit = kLargestInput);

// Reads a regular file of at most limit bytes, checked before reading. On failure
// false and *why as above.
bool ReadWholeFile(const std::string& path, Bytes* bytes, std::string* why = nullptr,
                   uint64_t limit = kLargestInput);

// Why path cannot be an output beside these inputs: a folder, something other than a
// regular file, or one of the inputs. "" when it can.
std::string OutputPathProblem(const std::string& path, const std::vector<std::string>& inputs);

struct OutputFile {
    std::string path;       // where it goes, links followed
    std::string temporary;  // where it is written
    FILE* file = nullptr;
    int mode = 0;           // the output's permissions: the earlier file's, or the default
    int error = 0;          // errno of the first write that failed
};

// Starts an output: the temporary file is made beside it. false and *why on failure.
bool BeginOutput(const std::string& path, OutputFile* output, std::string* why);

// Writes to the temporary file; a failure is reported by CloseOutput.
void WriteOutput(OutputFile* output, const void* data, size_t size);

// Flushes and closes the temporary file. false and *why when any write failed; then
// the temporary file is removed.
bool CloseOutput(OutputFile* output, std::string* why);

// Gives the closed temporary file the output's name. false and *why on failure, with
// the temporary file removed.
bool PlaceOutput(OutputFile* output, std::string* why);

// Removes the temporary file of an output that is not going to be placed.
void AbandonOutput(OutputFile* output);

// The whole of an output in one: begin, write, close and place.
bool WriteWholeFile(const std::string& path, const Bytes& bytes, std::string* why = nullptr);

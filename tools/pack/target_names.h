// Target names as the packer checks them: the setup program's own rule for one
// name, and two entries that would be one file (or a file and a folder) on Windows.
#pragma once

#include <string>
#include <unordered_map>

// "" when the setup program can install an entry of this name; otherwise why not,
// as a sentence starting "the target name".
std::string TargetNameProblem(const std::string& name);

// "" when the packer packs an entry of this name (one TargetNameProblem accepts);
// otherwise why not, naming the target: the uninstall log's own name in the install
// folder, or a part shaped like a short name Windows makes ("LONGFI~1.TXT").
std::string PackedTargetNameProblem(const std::string& name, bool inSystemDirectory);

// The name as Windows compares it: each part without its trailing dots and spaces,
// upper-cased over Windows-1252.
std::string ComparableTargetName(const std::string& name);

// The names seen so far under each base folder, each with the label the messages
// give its entry ("line 4", "entry 2").
struct TargetNameIndex {
    std::unordered_map<std::string, std::string> files;
    std::unordered_map<std::string, std::string> folders;  // every folder above a file
};

// Adds the name of an entry (of the system directory or not). false when it is the
// same file as an earlier one, a folder above an earlier one, or below a file of an
// earlier one: *clash says so, naming the target and the earlier entry's label.
bool AddTargetName(TargetNameIndex* index, const std::string& name, bool inSystemDirectory,
                   const std::string& label, std::string* clash);

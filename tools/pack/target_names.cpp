#include "tools/pack/target_names.h"

#include <string.h>

#include "common/contained_path.h"
#include "common/product.h"
#include "tools/pack/code_page.h"

std::string TargetNameProblem(const std::string& name)
{
    // A NUL ends the name for the setup program: the rest would not be what is listed.
    if (memchr(name.data(), 0, name.size()))
        return "the target name must not hold a NUL byte";
    switch (FindTargetNameFault(name.c_str())) {
    case kTargetNameFine: return "";
    case kTargetNameEmpty: return "the target name is empty";
    case kTargetNameTooLong: return "the target name is longer than 259 characters";
    case kTargetNameSlash: return "the target name must use '\\' as separator";
    case kTargetNameColon: return "the target name must not hold a drive or a ':'";
    case kTargetNameNotContained:
        return "the target name must be relative, without empty, '.' or '..' parts, nor parts of only dots "
               "and spaces";
    case kTargetNameForbiddenByte:
        return "the target name must not hold < > \" | ? * or a control character";
    default:
        return "the target name must not be, or hold a folder named as, a device of Windows "
               "(CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9)";
    }
}

// A part as Windows makes short names: '~' and digits before the extension's dot or
// at the end, trailing dots and spaces aside ("LONGFI~1.TXT", "A~12", "dir~3").
static bool IsShortNameShaped(const std::string& part)
{
    size_t end = part.find_last_not_of(". ");
    if (end == std::string::npos)
        return false;
    std::string kept = part.substr(0, end + 1);
    size_t dot = kept.rfind('.');
    std::string stem = dot == std::string::npos ? kept : kept.substr(0, dot);
    size_t digits = stem.find_last_not_of("0123456789");
    return digits != std::string::npos && digits + 1 < stem.size() && stem[digits] == '~';
}

std::string PackedTargetNameProblem(const std::string& name, bool inSystemDirectory)
{
    if (!inSystemDirectory && ComparableTargetName(name) == ComparableTargetName(kUninstallLogName))
        return "the target " + name + " is the setup program's own uninstall log, which setup holds open while "
               "it installs, so every run would fail";
    for (size_t start = 0;;) {
        size_t end = name.find('\\', start);
        std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (IsShortNameShaped(part))
            return "the target " + name + " has a part shaped like a short name Windows makes (" + part
                   + ": '~' and digits before the extension or the end), which on volumes that make short names "
                     "can stand for another entry's file";
        if (end == std::string::npos)
            return "";
        start = end + 1;
    }
}

std::string ComparableTargetName(const std::string& name)
{
    std::string comparable;
    size_t start = 0;
    for (;;) {
        size_t end = name.find('\\', start);
        size_t stop = end == std::string::npos ? name.size() : end;
        size_t kept = stop;
        while (kept > start && (name[kept - 1] == '.' || name[kept - 1] == ' '))
            --kept;
        for (size_t i = start; i < kept; ++i)
            comparable += (char)UpperCase1252((unsigned char)name[i]);
        if (end == std::string::npos)
            return comparable;
        comparable += '\\';
        start = end + 1;
    }
}

bool AddTargetName(TargetNameIndex* index, const std::string& name, bool inSystemDirectory,
                   const std::string& label, std::string* clash)
{
    // The two base folders are told apart by a first character no name can hold.
    std::string file = (inSystemDirectory ? "|" : "<") + ComparableTargetName(name);
    auto earlier = index->files.find(file);
    if (earlier != index->files.end()) {
        *clash = "the target " + name + " is already written by " + earlier->second;
        return false;
    }
    earlier = index->folders.find(file);
    if (earlier != index->folders.end()) {
        *clash = "the target " + name + " is a folder of what " + earlier->second + " writes";
        return false;
    }
    for (size_t at = file.find('\\'); at != std::string::npos; at = file.find('\\', at + 1)) {
        earlier = index->files.find(file.substr(0, at));
        if (earlier != index->files.end()) {
            *clash = "the target " + name + " needs a folder where " + earlier->second + " writes a file";
            return false;
        }
    }
    index->files.emplace(file, label);
    for (size_t at = file.find('\\'); at != std::string::npos; at = file.find('\\', at + 1))
        index->folders.emplace(file.substr(0, at), label);
    return true;
}

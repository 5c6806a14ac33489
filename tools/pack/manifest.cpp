#include "tools/pack/manifest.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "payload/archive_format.h"
#include "tools/pack/file_io.h"
#include "tools/pack/file_times.h"

static bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error)
{
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::string word;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            if (line[i] == '"') {
                size_t close = line.find('"', i + 1);
                if (close == std::string::npos) {
                    *error = "unclosed double quote";
                    return false;
                }
                word += line.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                word += line[i++];
            }
        }
        words->push_back(word);
    }
    return true;
}

static bool ParseNumber(const std::string& text, uint32_t* value)
{
    if (text.empty())
        return false;
    char* end;
    unsigned long long number = strtoull(text.c_str(), &end, 0);
    if (*end || number > 0xFFFFFFFFULL || text[0] == '-')
        return false;
    *value = (uint32_t)number;
    return true;
}

static bool ParseFlags(const std::string& text, uint32_t* flags)
{
    *flags = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string name = text.substr(start, comma - start);
        uint32_t number;
        if (name == "LogForUninstall") *flags |= kLogForUninstall;
        else if (name == "InSystemDirectory") *flags |= kInSystemDirectory;
        else if (name == "VersionGated") *flags |= kVersionGated;
        else if (ParseNumber(name, &number)) *flags |= number;
        else return false;
        start = comma + 1;
    }
    return true;
}

static bool ParseVersion(const std::string& text, uint32_t* ms, uint32_t* ls)
{
    unsigned parts[4];
    int consumed = 0;
    if (sscanf(text.c_str(), "%u.%u.%u.%u%n", &parts[0], &parts[1], &parts[2], &parts[3], &consumed) != 4
        || consumed != (int)text.size())
        return false;
    for (unsigned part : parts)
        if (part > 0xFFFF) return false;
    *ms = parts[0] << 16 | parts[1];
    *ls = parts[2] << 16 | parts[3];
    return true;
}

bool IsValidTargetName(const std::string& name, std::string* why)
{
    if (name.empty()) { *why = "the target name is empty"; return false; }
    if (name.size() > 259) { *why = "the target name is longer than 259 characters"; return false; }
    if (name.find('/') != std::string::npos) { *why = "the target name must use '\\' as separator"; return false; }
    if (name.find(':') != std::string::npos) { *why = "the target name must not hold a drive or a ':'"; return false; }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            *why = "the target name must be relative, without empty, '.' or '..' parts";
            return false;
        }
        start = end + 1;
    }
    return true;
}

// Windows compares names without regard to case: two entries for one file would
// have the second overwrite the first and be logged twice.
static bool SameTarget(const PackEntry& a, const PackEntry& b)
{
    if ((a.flags & kInSystemDirectory) != (b.flags & kInSystemDirectory) || a.name.size() != b.name.size())
        return false;
    for (size_t i = 0; i < a.name.size(); ++i)
        if (tolower((unsigned char)a.name[i]) != tolower((unsigned char)b.name[i]))
            return false;
    return true;
}

static std::string LineError(int line, const std::string& text)
{
    return "line " + std::to_string(line) + ": " + text;
}

static std::string ResolveSource(const std::string& source, const std::vector<std::string>& folders)
{
    if (source[0] == '/' || folders.empty())
        return source;
    for (const std::string& folder : folders) {
        std::string path = folder + "/" + source;
        struct stat status;
        if (stat(path.c_str(), &status) == 0)
            return path;
    }
    return folders[0] + "/" + source;
}

bool ParseManifest(const std::string& text, const std::vector<std::string>& folders,
                   std::vector<ManifestEntry>* entries, std::string* error)
{
    int lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        std::vector<std::string> words;
        std::string why;
        if (!SplitWords(line, &words, &why)) { *error = LineError(lineNumber, why); return false; }
        if (words.empty() || words[0][0] == '#')
            continue;
        if (words.size() < 2) {
            *error = LineError(lineNumber, "expected a source and a target name");
            return false;
        }
        ManifestEntry item;
        item.line = lineNumber;
        PackEntry& entry = item.entry;
        entry.flags = kLogForUninstall;
        entry.sourceAttributes = kShippedSourceAttributes;
        if (words[0] != "-")
            item.source = ResolveSource(words[0], folders);
        entry.name = words[1];
        if (!IsValidTargetName(entry.name, &why)) { *error = LineError(lineNumber, why); return false; }

        bool versionGiven = false, sizeGiven = false, baseSystem = false, baseGiven = false;
        for (size_t i = 2; i < words.size(); ++i) {
            size_t equals = words[i].find('=');
            if (equals == std::string::npos) {
                *error = LineError(lineNumber, "expected key=value, not '" + words[i] + "'");
                return false;
            }
            std::string key = words[i].substr(0, equals), value = words[i].substr(equals + 1);
            bool ok = true;
            uint64_t time;
            if (key == "base") {
                ok = value == "install" || value == "system";
                baseSystem = value == "system";
                baseGiven = true;
            } else if (key == "flags") {
                ok = ParseFlags(value, &entry.flags);
            } else if (key == "version") {
                ok = ParseVersion(value, &entry.minimumVersionMS, &entry.minimumVersionLS);
                versionGiven = true;
            } else if (key == "attributes") {
                ok = ParseNumber(value, &entry.sourceAttributes);
            } else if (key == "created" || key == "accessed" || key == "written" || key == "times") {
                ok = ParseFileTime(value, &time);
                if (key == "created" || key == "times") { entry.creationTime = time; item.timesGiven[0] = true; }
                if (key == "accessed" || key == "times") { entry.lastAccessTime = time; item.timesGiven[1] = true; }
                if (key == "written" || key == "times") { entry.lastWriteTime = time; item.timesGiven[2] = true; }
            } else if (key == "storage") {
                if (value == "zlib") entry.storage = PieceStorage::Zlib;
                else if (value == "gzip") entry.storage = PieceStorage::Gzip;
                else if (value == "stored") entry.storage = PieceStorage::Stored;
                else if (value == "raw") entry.storage = PieceStorage::Verbatim;
                else ok = false;
            } else if (key == "size") {
                ok = ParseNumber(value, &entry.verbatimSize);
                sizeGiven = true;
            } else {
                *error = LineError(lineNumber, "unknown key '" + key + "'");
                return false;
            }
            if (!ok) {
                *error = LineError(lineNumber, "bad value for " + key + ": '" + value + "'");
                return false;
            }
        }
        if (baseSystem)
            entry.flags |= kInSystemDirectory;
        else if (baseGiven && (entry.flags & kInSystemDirectory)) {
            *error = LineError(lineNumber, "base=install contradicts the flag InSystemDirectory");
            return false;
        }
        if (entry.flags == 0) {
            *error = LineError(lineNumber, "flags of 0 would end the directory");
            return false;
        }
        if ((entry.flags & kVersionGated) && !versionGiven) {
            *error = LineError(lineNumber, "a VersionGated entry needs version=a.b.c.d");
            return false;
        }
        if (!(entry.flags & kVersionGated) && versionGiven) {
            *error = LineError(lineNumber, "version= is only for VersionGated entries");
            return false;
        }
        bool raw = entry.storage == PieceStorage::Verbatim;
        if (raw && item.source.empty()) {
            *error = LineError(lineNumber, "storage=raw needs a source file");
            return false;
        }
        if (sizeGiven && !raw && (!item.source.empty() || !(entry.flags & kVersionGated))) {
            *error = LineError(lineNumber, "size= is only for storage=raw and for VersionGated entries "
                                           "without a source file");
            return false;
        }
        item.rawSizeGiven = raw && sizeGiven;
        if (item.source.empty()) {
            // No data: stored size 0, whatever size the entry claims.
            entry.storage = PieceStorage::Verbatim;
        }
        for (const ManifestEntry& earlier : *entries) {
            if (SameTarget(earlier.entry, entry)) {
                *error = LineError(lineNumber, "the target " + entry.name + " is already written by line "
                                                   + std::to_string(earlier.line));
                return false;
            }
        }
        entries->push_back(item);
    }
    return true;
}

bool LoadManifestSources(std::vector<ManifestEntry>* entries, bool hasEpoch,
                         int64_t sourceDateEpoch, std::string* error)
{
    for (ManifestEntry& item : *entries) {
        PackEntry& entry = item.entry;
        uint64_t fileTime = hasEpoch ? FileTimeFromUnix(sourceDateEpoch) : 0;
        if (!item.source.empty()) {
            struct stat status;
            if (stat(item.source.c_str(), &status) != 0 || !S_ISREG(status.st_mode)
                || !ReadWholeFile(item.source, &entry.data)) {
                *error = LineError(item.line, "cannot read " + item.source);
                return false;
            }
            if (entry.data.size() > 0xFFFFFFFFULL) {
                *error = LineError(item.line, item.source + " is larger than 4 GB");
                return false;
            }
            if (entry.storage == PieceStorage::Verbatim && !item.rawSizeGiven)
                entry.verbatimSize = (uint32_t)entry.data.size();
            if (!hasEpoch)
                fileTime = FileTimeFromUnix(status.st_mtim.tv_sec) + status.st_mtim.tv_nsec / 100;
        }
        if (!item.timesGiven[0]) entry.creationTime = fileTime;
        if (!item.timesGiven[1]) entry.lastAccessTime = fileTime;
        if (!item.timesGiven[2]) entry.lastWriteTime = fileTime;
    }
    return true;
}

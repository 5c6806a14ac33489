#include "tools/pack/manifest.h"

#include <string.h>
#include <sys/stat.h>

#include "common/product.h"
#include "payload/archive_format.h"
#include "tools/pack/code_page.h"
#include "tools/pack/file_io.h"
#include "tools/pack/file_times.h"
#include "tools/pack/target_names.h"

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

static bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error)
{
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        std::string word;
        while (i < line.size() && !IsBlank(line[i])) {
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

static bool IsComment(const std::string& line)
{
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
        ++first;
    return first < line.size() && line[first] == '#';
}

// Decimal without leading zeros, or 0x and 1 to 8 hexadecimal digits: never octal,
// never a sign, never past 32 bits.
static bool ParseNumber(const std::string& text, uint32_t* value)
{
    uint64_t number = 0;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (!ParseHexNumber(text, 8, &number))
            return false;
    } else {
        if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1))
            return false;
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
            number = number * 10 + (uint64_t)(c - '0');
        }
    }
    *value = (uint32_t)number;
    return number <= 0xFFFFFFFFULL;
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

// a.b.c.d, each part 1 to 5 decimal digits and at most 65535.
static bool ParseVersion(const std::string& text, uint32_t* ms, uint32_t* ls)
{
    uint32_t parts[4] = {0, 0, 0, 0};
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 5) {
            parts[part] = parts[part] * 10 + (uint32_t)(text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || parts[part] > 0xFFFF)
            return false;
        if (part < 3 && (at >= text.size() || text[at++] != '.'))
            return false;
    }
    if (at != text.size())
        return false;
    *ms = parts[0] << 16 | parts[1];
    *ls = parts[2] << 16 | parts[3];
    return true;
}

// An entry the manifest does not list (line 0) is not given a line.
static std::string LineError(int line, const std::string& text)
{
    return line ? "line " + std::to_string(line) + ": " + text : text;
}

// What a key accepts, for the message that refuses a value.
static const char* AcceptedValues(const std::string& key)
{
    if (key == "base") return "install or system";
    if (key == "flags") return "LogForUninstall, InSystemDirectory, VersionGated or numbers, joined with ','";
    if (key == "version") return "a.b.c.d, each 0 to 65535";
    if (key == "storage") return "zlib, gzip, stored or raw";
    if (key == "attributes" || key == "size")
        return "a number up to 4294967295: decimal without leading zeros, or 0x and 1 to 8 hexadecimal digits";
    return "YYYY-MM-DDTHH:MM:SSZ or \"YYYY-MM-DD HH:MM:SS\" (UTC, 1601 to 9999), @UNIXSECONDS in that range, "
           "or 0x and 1 to 16 hexadecimal digits up to 0x7FFFFFFFFFFFFFFF";
}

static void ResolveSource(ManifestEntry* item, const std::vector<std::string>& folders)
{
    item->source = item->sourceWord;
    if (item->sourceWord[0] == '/' || folders.empty())
        return;
    for (const std::string& folder : folders) {
        std::string path = folder + "/" + item->sourceWord;
        struct stat status;
        if (stat(path.c_str(), &status) == 0) {
            item->source = path;
            item->searched.clear();
            return;
        }
        item->searched += (item->searched.empty() ? "" : ", ") + folder;
    }
    item->source = folders[0] + "/" + item->sourceWord;
}

// The target word as the archive keeps it: Windows-1252, from UTF-8 when the
// manifest is UTF-8.
static bool TargetName(const std::string& word, bool utf8, std::string* name, std::string* error)
{
    if (!utf8) {
        *name = word;
        return true;
    }
    uint32_t character;
    if (Utf8ToWindows1252(word, name, &character))
        return true;
    char code[16];
    snprintf(code, sizeof code, "U+%04X", (unsigned)character);
    *error = std::string("the character ") + code + " in the target name " + word + " has no Windows-1252 form";
    return false;
}

enum class Base { NotGiven, Install, System };

// The keys of an entry's line whose presence matters beyond their values.
struct KeysGiven {
    bool version = false, size = false;
    Base base = Base::NotGiven;
};

// Sets one key of the entry; false and *error for an unknown key or a refused value.
static bool ApplyKey(const std::string& key, const std::string& value, ManifestEntry* item, KeysGiven* given,
                     std::string* error)
{
    PackEntry& entry = item->entry;
    bool ok = true;
    uint64_t time = 0;
    if (key == "base") {
        ok = value == "install" || value == "system";
        given->base = value == "system" ? Base::System : Base::Install;
    } else if (key == "flags") {
        ok = ParseFlags(value, &entry.flags);
    } else if (key == "version") {
        ok = ParseVersion(value, &entry.minimumVersionMS, &entry.minimumVersionLS);
        given->version = true;
    } else if (key == "attributes") {
        ok = ParseNumber(value, &entry.sourceAttributes);
    } else if (key == "created" || key == "accessed" || key == "written" || key == "times") {
        ok = ParseFileTime(value, &time);
        if (key == "created" || key == "times") { entry.creationTime = time; item->timesGiven[0] = true; }
        if (key == "accessed" || key == "times") { entry.lastAccessTime = time; item->timesGiven[1] = true; }
        if (key == "written" || key == "times") { entry.lastWriteTime = time; item->timesGiven[2] = true; }
    } else if (key == "storage") {
        if (value == "zlib") entry.storage = PieceStorage::Zlib;
        else if (value == "gzip") entry.storage = PieceStorage::Gzip;
        else if (value == "stored") entry.storage = PieceStorage::Stored;
        else if (value == "raw") entry.storage = PieceStorage::Verbatim;
        else ok = false;
    } else if (key == "size") {
        ok = ParseNumber(value, &entry.verbatimSize);
        given->size = true;
    } else {
        *error = "unknown key '" + key + "'";
        return false;
    }
    if (!ok)
        *error = "bad value for " + key + ": '" + value + "' (" + AcceptedValues(key) + ")";
    return ok;
}

// Why the keys' combination cannot make a sound entry; null when it can. Changes nothing.
static const char* EntryKeysFault(const ManifestEntry& item, const KeysGiven& given)
{
    const PackEntry& entry = item.entry;
    bool raw = entry.storage == PieceStorage::Verbatim;
    bool gated = entry.flags & kVersionGated;
    if (given.base == Base::Install && (entry.flags & kInSystemDirectory))
        return "base=install contradicts the flag InSystemDirectory";
    if (entry.flags == 0 && given.base != Base::System)
        return "flags of 0 would end the directory";
    if (gated && !given.version)
        return "a VersionGated entry needs version=a.b.c.d";
    if (!gated && given.version)
        return "version= is only for VersionGated entries";
    if (raw && item.sourceWord.empty())
        return "storage=raw needs a source file";
    if (given.size && !raw && (!item.sourceWord.empty() || !gated))
        return "size= is only for storage=raw and for VersionGated entries without a source file";
    return nullptr;
}

// What sound keys imply for the entry beyond their own values.
static void FillInKeyDefaults(ManifestEntry* item, const KeysGiven& given)
{
    PackEntry& entry = item->entry;
    if (given.base == Base::System)
        entry.flags |= kInSystemDirectory;
    item->rawSizeGiven = entry.storage == PieceStorage::Verbatim && given.size;
    // No data: stored size 0, whatever size the entry claims.
    if (item->sourceWord.empty())
        entry.storage = PieceStorage::Verbatim;
}

// One entry's line, split into its words.
static bool ParseEntry(const std::vector<std::string>& words, bool utf8, const std::vector<std::string>& folders,
                       ManifestEntry* item, std::string* error)
{
    if (words.size() < 2) {
        *error = "expected a source and a target name";
        return false;
    }
    PackEntry& entry = item->entry;
    entry.flags = kLogForUninstall;
    entry.sourceAttributes = kShippedSourceAttributes;
    if (words[0].empty()) {
        *error = "the source is empty (an entry without data has - as its source)";
        return false;
    }
    if (words[0] != "-") {
        item->sourceWord = words[0];
        ResolveSource(item, folders);
    }
    if (!TargetName(words[1], utf8, &entry.name, error))
        return false;
    *error = TargetNameProblem(entry.name);
    if (!error->empty())
        return false;
    KeysGiven given;
    for (size_t i = 2; i < words.size(); ++i) {
        size_t equals = words[i].find('=');
        if (equals == std::string::npos) {
            *error = "expected key=value, not '" + words[i] + "'";
            return false;
        }
        if (!ApplyKey(words[i].substr(0, equals), words[i].substr(equals + 1), item, &given, error))
            return false;
    }
    if (const char* fault = EntryKeysFault(*item, given)) {
        *error = fault;
        return false;
    }
    FillInKeyDefaults(item, given);
    *error = PackedTargetNameProblem(entry.name, entry.flags & kInSystemDirectory);
    return error->empty();
}

bool ParseManifest(const std::string& text, const std::vector<std::string>& folders,
                   std::vector<ManifestEntry>* entries, std::string* error)
{
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    bool marked = text.compare(0, 3, kByteOrderMark) == 0;
    bool utf8 = marked || IsUtf8(text);
    TargetNameIndex targets;
    int lineNumber = 0;
    size_t start = marked ? 3 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        std::string why;
        if (memchr(line.data(), 0, line.size()))
            why = "the line holds a NUL byte";
        else if (marked && !IsUtf8(line))
            why = "the manifest starts with a UTF-8 byte order mark, but this line is not UTF-8";
        if (!why.empty()) {
            *error = LineError(lineNumber, why);
            return false;
        }
        if (IsComment(line))
            continue;
        std::vector<std::string> words;
        if (!SplitWords(line, &words, &why)) { *error = LineError(lineNumber, why); return false; }
        if (words.empty())
            continue;
        ManifestEntry item;
        item.line = lineNumber;
        std::string label = "line " + std::to_string(lineNumber);
        if (!ParseEntry(words, utf8, folders, &item, &why)
            || !AddTargetName(&targets, item.entry.name, item.entry.flags & kInSystemDirectory, label, &why)) {
            *error = LineError(lineNumber, why);
            return false;
        }
        entries->push_back(std::move(item));
    }
    if (entries->empty()) {
        *error = "the manifest lists no entries: its setup program would install nothing";
        return false;
    }
    return true;
}

bool CheckManifestSources(std::vector<ManifestEntry>* entries, bool hasEpoch, int64_t sourceDateEpoch,
                          std::string* error)
{
    for (ManifestEntry& item : *entries) {
        PackEntry& entry = item.entry;
        uint64_t fileTime = hasEpoch ? FileTimeFromUnix(sourceDateEpoch) : 0;
        if (!item.source.empty()) {
            struct stat status;
            std::string why = InputFileProblem(item.source, &status);
            if (!why.empty()) {
                std::string where = item.searched.empty() ? "" : " (looked for in " + item.searched + ")";
                *error = LineError(item.line, "cannot read " + item.sourceWord + ": " + why + where);
                return false;
            }
            item.sourceSize = (uint64_t)status.st_size;
            if (item.sourceSize == 0 && (entry.flags & kVersionGated)) {
                *error = LineError(item.line, "the VersionGated entry's source " + item.sourceWord
                                                  + " is empty, so it would be taken for a runtime "
                                                    "prerequisite; a prerequisite has - as its source");
                return false;
            }
            if (entry.storage == PieceStorage::Verbatim && !item.rawSizeGiven)
                entry.verbatimSize = (uint32_t)item.sourceSize;
            if (!hasEpoch)
                fileTime = FileTimeFromUnix(status.st_mtim.tv_sec) + status.st_mtim.tv_nsec / 100;
        }
        if (!item.timesGiven[0]) entry.creationTime = fileTime;
        if (!item.timesGiven[1]) entry.lastAccessTime = fileTime;
        if (!item.timesGiven[2]) entry.lastWriteTime = fileTime;
    }
    return true;
}

bool ReadManifestSource(ManifestEntry* item, std::string* error)
{
    if (item->source.empty())
        return true;
    std::string why;
    if (ReadWholeFile(item->source, &item->entry.data, &why) && item->entry.data.size() == item->sourceSize)
        return true;
    *error = LineError(item->line, "cannot read " + item->source + ": "
                                       + (why.empty() ? "it changed while the archive was packed" : why));
    return false;
}

bool ReadManifest(const std::string& path, const std::vector<std::string>& sourceDirs,
                  std::vector<ManifestEntry>* entries, std::string* error)
{
    Bytes text;
    if (!ReadWholeFile(path, &text, error)) {
        *error = "cannot read " + path + ": " + *error;
        return false;
    }
    size_t slash = path.rfind('/');
    std::vector<std::string> folders = {slash == std::string::npos ? "." : path.substr(0, slash)};
    folders.insert(folders.end(), sourceDirs.begin(), sourceDirs.end());
    if (ParseManifest(std::string(text.begin(), text.end()), folders, entries, error))
        return true;
    *error = path + ": " + *error;
    return false;
}

ManifestEntry* FindUninstallerEntry(std::vector<ManifestEntry>* entries)
{
    std::string uninstaller = ComparableTargetName(kUninstallerName);
    for (ManifestEntry& item : *entries)
        if (!item.source.empty() && !(item.entry.flags & kInSystemDirectory)
            && ComparableTargetName(item.entry.name) == uninstaller)
            return &item;
    return nullptr;
}

bool AddDefaultUninstaller(std::vector<ManifestEntry>* entries, const std::string& source, std::string* error)
{
    TargetNameIndex targets;
    for (const ManifestEntry& item : *entries)
        AddTargetName(&targets, item.entry.name, item.entry.flags & kInSystemDirectory,
                      "line " + std::to_string(item.line), error);
    ManifestEntry uninstaller;
    uninstaller.source = uninstaller.sourceWord = source;
    uninstaller.entry.name = kUninstallerName;
    uninstaller.entry.flags = kLogForUninstall;
    uninstaller.entry.sourceAttributes = kShippedSourceAttributes;
    if (!AddTargetName(&targets, uninstaller.entry.name, false, "", error)) {
        *error = "cannot add " + source + " as the uninstaller: " + *error;
        return false;
    }
    entries->push_back(std::move(uninstaller));
    return true;
}

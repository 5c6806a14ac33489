// The native floor: unpacks a payload archive and writes its files on Linux, with the
// setup program's own reader and zlib, and prints the seconds it took. With --log it
// also keeps an uninstall log as the setup program does: a line for each file and
// folder written as it goes, committed to disk (fsync) once a second and at the end.
//
//   native_floor [--log] ARCHIVE OUT_DIR
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/product.h"
#include "payload/archive_reader.h"
#include "payload/decompress.h"

static int g_log = -1;
static std::chrono::steady_clock::time_point g_logCommittedAt;

static void LogLine(char tag, const std::string& path)
{
    if (g_log < 0)
        return;
    std::string line = tag + path + "\r\n";
    if (write(g_log, line.data(), line.size()) != (ssize_t)line.size())
        std::perror("log");
    auto now = std::chrono::steady_clock::now();
    if (now - g_logCommittedAt >= std::chrono::seconds(1)) {
        if (fsync(g_log) != 0)
            std::perror("log");
        g_logCommittedAt = now;
    }
}

static void MakeParents(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        if (mkdir(path.substr(0, slash).c_str(), 0755) == 0)
            LogLine(kLogFolderTag, path.substr(0, slash));
}

static timespec ToTimespec(ArchiveTime time)
{
    // FILETIME: 100 ns steps since 1601.
    uint64_t ticks = ((uint64_t)time.high << 32 | time.low) - 116444736000000000ull;
    timespec converted;
    converted.tv_sec = (time_t)(ticks / 10000000);
    converted.tv_nsec = (long)(ticks % 10000000 * 100);
    return converted;
}

int main(int argc, char** argv)
{
    bool log = argc == 4 && std::string(argv[1]) == "--log";
    if (argc != 3 && !log) {
        std::fprintf(stderr, "usage: native_floor [--log] ARCHIVE OUT_DIR\n");
        return 2;
    }
    argv += log;
    auto start = std::chrono::steady_clock::now();
    if (log) {
        MakeParents(std::string(argv[2]) + "/");
        g_log = open((std::string(argv[2]) + "/" + kUninstallLogName).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (g_log < 0) {
            std::perror(argv[2]);
            return 1;
        }
        g_logCommittedAt = start;
    }
    int archive = open(argv[1], O_RDONLY);
    struct stat facts;
    if (archive < 0 || fstat(archive, &facts) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    void* mapped = mmap(0, facts.st_size, PROT_READ, MAP_PRIVATE, archive, 0);
    ArchiveReader reader;
    if (mapped == MAP_FAILED ||
        !OpenArchiveBytes(&reader, (const unsigned char*)mapped, (size_t)facts.st_size)) {
        std::fprintf(stderr, "native_floor: %s is not a payload archive\n", argv[1]);
        return 1;
    }
    std::string base = argv[2];
    std::string lastFolder;
    DirectoryEntry entry;
    int files = 0;
    while (NextArchiveEntry(&reader, &entry)) {
        std::string path = base + "/" + entry.name;
        for (char& c : path)
            if (c == '\\') c = '/';
        std::string folder = path.substr(0, path.rfind('/'));
        if (folder != lastFolder) {
            MakeParents(path);
            lastFolder = folder;
        }
        unsigned char* buffer = (unsigned char*)std::malloc(entry.size ? entry.size : 1);
        if (!buffer || !UnpackPiece(entry.data, entry.storedSize, buffer, entry.size)) {
            std::fprintf(stderr, "native_floor: cannot unpack %s\n", entry.name);
            return 1;
        }
        int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file < 0 || write(file, buffer, entry.size) != (ssize_t)entry.size) {
            std::perror(path.c_str());
            return 1;
        }
        LogLine(kLogFileTag, path);
        timespec times[2] = {ToTimespec(entry.lastAccessTime), ToTimespec(entry.lastWriteTime)};
        futimens(file, times);
        close(file);
        std::free(buffer);
        ++files;
    }
    CloseArchive(&reader);
    if (g_log >= 0 && (fsync(g_log) != 0 || close(g_log) != 0))
        std::perror("log");
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seconds=%.4f files=%d\n", seconds, files);
    return 0;
}

#include "tools/pack/file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string ErrorText(int error)
{
    switch (error) {
    case ENOENT: return "no such file or folder";
    case EACCES:
    case EPERM: return "permission denied";
    case EISDIR: return "it is a folder";
    case ENOTDIR: return "a part of its path is not a folder";
    case ENOSPC: return "no space left on the device";
    case EFBIG: return "the file would grow past the size allowed";
    default: return strerror(error);
    }
}

// Only regular files are read and replaced.
static std::string KindProblem(const struct stat& status)
{
    if (S_ISDIR(status.st_mode))
        return "it is a folder";
    return S_ISREG(status.st_mode) ? "" : "it is not a regular file";
}

static std::string SizeProblem(const struct stat& status, uint64_t limit)
{
    if (!S_ISREG(status.st_mode))
        return KindProblem(status);
    if ((uint64_t)status.st_size > limit)
        return "it has " + std::to_string((uint64_t)status.st_size) + " bytes, more than the " + std::to_string(limit)
               + " this command takes";
    return "";
}

std::string InputFileProblem(const std::string& path, struct stat* status, uint64_t limit)
{
    if (stat(path.c_str(), status) != 0 || access(path.c_str(), R_OK) != 0)
        return ErrorText(errno);
    return SizeProblem(*status, limit);
}

static std::string ReadOpenFile(int descriptor, Bytes* bytes, uint64_t limit)
{
    struct stat status;
    if (fstat(descriptor, &status) != 0)
        return ErrorText(errno);
    std::string problem = SizeProblem(status, limit);
    if (!problem.empty())
        return problem;
    // One buffer of the size the file has: no growing, no second copy.
    bytes->clear();
    bytes->resize((size_t)status.st_size);
    size_t done = 0;
    while (done < bytes->size()) {
        size_t chunk = bytes->size() - done < (1u << 30) ? bytes->size() - done : (1u << 30);
        ssize_t got = read(descriptor, bytes->data() + done, chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ErrorText(errno);
        if (got == 0)
            break;
        done += (size_t)got;
    }
    char more;
    if (done != bytes->size() || read(descriptor, &more, 1) != 0)
        return "it changed while it was read";
    return "";
}

bool ReadWholeFile(const std::string& path, Bytes* bytes, std::string* why, uint64_t limit)
{
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string problem = descriptor < 0 ? ErrorText(errno) : ReadOpenFile(descriptor, bytes, limit);
    if (descriptor >= 0)
        close(descriptor);
    if (why)
        *why = problem;
    return problem.empty();
}

std::string OutputPathProblem(const std::string& path, const std::vector<std::string>& inputs)
{
    struct stat output;
    if (stat(path.c_str(), &output) != 0)
        return "";
    std::string problem = KindProblem(output);
    for (const std::string& input : inputs) {
        struct stat status;
        if (problem.empty() && stat(input.c_str(), &status) == 0 && status.st_dev == output.st_dev
            && status.st_ino == output.st_ino)
            problem = "it is the input " + input;
    }
    return problem;
}

static int DefaultMode()
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool BeginOutput(const std::string& path, OutputFile* output, std::string* why)
{
    // A link stays a link: the file it leads to is replaced.
    char* real = realpath(path.c_str(), nullptr);
    output->path = real ? real : path;
    free(real);
    struct stat status;
    output->mode = stat(output->path.c_str(), &status) == 0 ? (int)(status.st_mode & 07777) : DefaultMode();
    size_t slash = output->path.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : output->path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? output->path : output->path.substr(slash + 1);
    output->temporary = folder + "." + name.substr(0, 200) + ".XXXXXX";
    int descriptor = mkostemp(&output->temporary[0], O_CLOEXEC);
    if (descriptor < 0) {
        *why = ErrorText(errno);
        output->temporary.clear();
        return false;
    }
    fchmod(descriptor, (mode_t)output->mode);
    output->file = fdopen(descriptor, "wb");
    if (!output->file) {
        *why = ErrorText(errno);
        close(descriptor);
        AbandonOutput(output);
        return false;
    }
    return true;
}

void WriteOutput(OutputFile* output, const void* data, size_t size)
{
    if (!size || output->error)
        return;
    errno = 0;
    if (fwrite(data, 1, size, output->file) != size)
        output->error = errno ? errno : EIO;
}

bool CloseOutput(OutputFile* output, std::string* why)
{
    if (!output->error && fflush(output->file) != 0)
        output->error = errno;
    if (fclose(output->file) != 0 && !output->error)
        output->error = errno;
    output->file = nullptr;
    if (!output->error)
        return true;
    *why = ErrorText(output->error);
    AbandonOutput(output);
    return false;
}

bool PlaceOutput(OutputFile* output, std::string* why)
{
    if (rename(output->temporary.c_str(), output->path.c_str()) == 0) {
        output->temporary.clear();
        return true;
    }
    *why = ErrorText(errno);
    AbandonOutput(output);
    return false;
}

void AbandonOutput(OutputFile* output)
{
    if (output->file)
        fclose(output->file);
    output->file = nullptr;
    if (!output->temporary.empty())
        unlink(output->temporary.c_str());
    output->temporary.clear();
}

bool WriteWholeFile(const std::string& path, const Bytes& bytes, std::string* why)
{
    std::string problem;
    OutputFile output;
    bool written = BeginOutput(path, &output, &problem);
    if (written) {
        WriteOutput(&output, bytes.data(), bytes.size());
        written = CloseOutput(&output, &problem) && PlaceOutput(&output, &problem);
    }
    if (why)
        *why = problem;
    return written;
}

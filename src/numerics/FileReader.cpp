#include "numerics/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include "numerics/DataPath.h"

namespace vornex {

namespace {

const char* kindOfMode(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

FileRead failure(FileReadStatus status, std::string message) {
    return {status, std::move(message)};
}

std::string quotedPath(const std::string& path) {
    return "'" + path + "'";
}

FileRead refusal(const std::string& path, const std::string& what) {
    return failure(FileReadStatus::Refused, "cannot read " + quotedPath(path) + ": it is " + what);
}

FileRead tooLarge(const std::string& path, std::size_t limit, const std::string& size) {
    return failure(FileReadStatus::Refused, "cannot read " + quotedPath(path) + ": it is " + size +
                                                ", above the limit of " + std::to_string(limit) +
                                                " bytes for this kind of file");
}

// Why open(2) failed, in the terms of what sits at the path.
FileRead openFailure(const std::string& path, int err) {
    const std::string what = describeNonRegular(path);
    if (!what.empty()) return refusal(path, what);
    const FileReadStatus status =
        err == ENOENT || err == ENOTDIR ? FileReadStatus::NotFound : FileReadStatus::OpenFailed;
    return failure(status, "cannot open " + quotedPath(path) + ": " + std::strerror(err));
}

class Descriptor {
   public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

   private:
    int fd_;
};

template <class Buffer>
FileRead readInto(const std::string& path, std::size_t limit, Buffer& out) {
    out.clear();
    if (path.empty()) return failure(FileReadStatus::NotFound, "cannot read a file without a name");
    // A device is not even opened: opening some has effects of its own.
    if (const std::string what = describeNonRegular(path); !what.empty())
        return refusal(path, what);
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return openFailure(path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failure(FileReadStatus::ReadFailed,
                       "cannot examine " + quotedPath(path) + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return refusal(path, kindOfMode(info.st_mode));
    if (info.st_size < 0 || static_cast<std::uintmax_t>(info.st_size) > limit)
        return tooLarge(path, limit, std::to_string(info.st_size) + " bytes");
    // The size is a hint: a file that grows while it is read is still held to the limit. The
    // room for one chunk past the end lets the final read find the end without reallocating.
    constexpr std::size_t kChunk = 1 << 16;
    out.reserve(std::min(static_cast<std::size_t>(info.st_size) + kChunk, limit + 1));
    for (;;) {
        const std::size_t have = out.size();
        if (have > limit) {
            out.clear();
            return tooLarge(path, limit, "more than " + std::to_string(limit) + " bytes");
        }
        const std::size_t want = std::min(kChunk, limit + 1 - have);
        out.resize(have + want);
        const ssize_t got = ::read(fd.get(), out.data() + have, want);
        if (got < 0 && errno == EINTR) {
            out.resize(have);
            continue;
        }
        if (got < 0) {
            const int err = errno;
            out.clear();
            return failure(FileReadStatus::ReadFailed,
                           "cannot read " + quotedPath(path) + ": " + std::strerror(err));
        }
        out.resize(have + static_cast<std::size_t>(got));
        if (got == 0) return {};
    }
}

// The same, a file too large for the memory left refused like one too large for its limit.
template <class Buffer>
FileRead readWhole(const std::string& path, std::size_t limit, Buffer& out) {
    try {
        return readInto(path, limit, out);
    } catch (const std::bad_alloc&) {
        Buffer().swap(out);
        return failure(FileReadStatus::ReadFailed,
                       "cannot read " + quotedPath(path) + ": not enough memory to hold it");
    }
}

}  // namespace

std::string describeNonRegular(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISREG(info.st_mode) ? "" : kindOfMode(info.st_mode);
    const int err = errno;
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        return err == ELOOP ? "a loop of links" : "a link to a missing file";
    return {};
}

FileRead readRegularFile(const std::string& path, std::size_t limit, std::string& out) {
    return readWhole(path, limit, out);
}

FileRead readRegularFile(const std::string& path, std::size_t limit,
                         std::vector<std::uint8_t>& out) {
    return readWhole(path, limit, out);
}

FileRead readDataFile(const std::string& relativeName, std::size_t limit, std::string& out) {
    out.clear();
    // Something that is no regular file at the name in the working folder (a FIFO, a folder)
    // is refused, said, rather than passed over for a data folder's file of that name.
    const std::string what = describeNonRegular(relativeName);
    if (!what.empty()) return refusal(relativeName, what);
    if (const std::optional<std::string> path = locateDataFile(relativeName))
        return readRegularFile(*path, limit, out);
    return failure(FileReadStatus::NotFound, "cannot find the data file " +
                                                 quotedPath(relativeName) +
                                                 " in the working folder or the data folders");
}

}  // namespace vornex

#include "platform/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vornex {

namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
    return what + " '" + path + "': " + std::strerror(err);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
    if (path_.empty()) {
        status_ = IoResult::failure(IoStatus::OpenFailed, "cannot write a file without a name");
        return;
    }
    std::filesystem::path target(path_);
    std::filesystem::path dir = target.parent_path();
    std::string name = target.filename().string();
    tempPath_ = (dir / ("." + name + ".XXXXXX")).string();
    std::vector<char> buffer(tempPath_.begin(), tempPath_.end());
    buffer.push_back('\0');
    fd_ = ::mkstemp(buffer.data());
    if (fd_ < 0) {
        status_ = IoResult::failure(IoStatus::OpenFailed, describe("cannot create", path_, errno));
        tempPath_.clear();
        return;
    }
    tempPath_.assign(buffer.data());
    // mkstemp creates the file private to its owner; give it the permissions a newly
    // created file would have.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!done_) discard();
}

bool AtomicFileWriter::write(const void* data, std::size_t length) {
    if (!status_.ok() || done_) return false;
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t n = ::write(fd_, p, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            status_ =
                IoResult::failure(IoStatus::WriteFailed, describe("cannot write", path_, errno));
            return false;
        }
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

IoResult AtomicFileWriter::commit() {
    if (done_) return status_;
    if (status_.ok() && ::fsync(fd_) != 0 && errno != EINVAL)
        status_ = IoResult::failure(IoStatus::WriteFailed, describe("cannot write", path_, errno));
    if (fd_ >= 0 && ::close(fd_) != 0 && status_.ok())
        status_ = IoResult::failure(IoStatus::WriteFailed, describe("cannot write", path_, errno));
    fd_ = -1;
    if (status_.ok() && std::rename(tempPath_.c_str(), path_.c_str()) != 0)
        status_ =
            IoResult::failure(IoStatus::WriteFailed, describe("cannot replace", path_, errno));
    if (!status_.ok() && !tempPath_.empty()) ::unlink(tempPath_.c_str());
    done_ = true;
    return status_;
}

void AtomicFileWriter::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    done_ = true;
}

IoResult writeFileAtomically(const std::string& path, const void* data, std::size_t length) {
    AtomicFileWriter writer(path);
    writer.write(data, length);
    return writer.commit();
}

IoResult writeFileAtomically(const std::string& path, const Bytes& bytes) {
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

IoResult writeFileAtomically(const std::string& path, const std::string& text) {
    return writeFileAtomically(path, text.data(), text.size());
}

IoResult readFileBytes(const std::string& path, Bytes& out, std::size_t limit) {
    FileRead read = readRegularFile(path, limit, out);
    switch (read.status) {
        case FileReadStatus::Ok:
            return {};
        case FileReadStatus::NotFound:
        case FileReadStatus::OpenFailed:
            return IoResult::failure(IoStatus::OpenFailed, std::move(read.message));
        case FileReadStatus::Refused:
        case FileReadStatus::ReadFailed:
            break;
    }
    return IoResult::failure(IoStatus::ReadFailed, std::move(read.message));
}

}  // namespace vornex

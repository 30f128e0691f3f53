#include "platform/AtomicFileWriter.h"

namespace vornex {

AtomicFileWriter::AtomicFileWriter(std::string path, AtomicFile::Links links,
                                   AtomicFile::Claim claim)
    : path_(std::move(path)) {
    if (path_.empty()) {
        status_ = IoResult::failure(IoStatus::OpenFailed, "cannot write a file without a name");
        return;
    }
    file_.open(path_, AtomicFile::Mode::Replace, 0666, links, claim);
    takeStatus();
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!done_) discard();
}

void AtomicFileWriter::takeStatus() {
    if (!status_.ok()) return;
    const std::string cause = ": " + file_.problem();
    if (file_.refusedForeign()) {
        status_ = IoResult::failure(IoStatus::WriteFailed, outputFailure(file_, false));
        return;
    }
    switch (file_.failedStep()) {
        case AtomicFile::Step::None:
            return;
        case AtomicFile::Step::Create:
            // A name held by a folder, FIFO or device (no errno) is a target that cannot be
            // replaced, as a rename onto a folder would find.
            status_ = file_.error() == 0
                          ? IoResult::failure(IoStatus::WriteFailed,
                                              "cannot replace '" + path_ + "'" + cause)
                          : IoResult::failure(IoStatus::OpenFailed,
                                              "cannot create '" + path_ + "'" + cause);
            return;
        case AtomicFile::Step::Write:
            status_ =
                IoResult::failure(IoStatus::WriteFailed, "cannot write '" + path_ + "'" + cause);
            return;
        case AtomicFile::Step::Replace:
            status_ =
                IoResult::failure(IoStatus::WriteFailed, "cannot replace '" + path_ + "'" + cause);
            return;
    }
}

bool AtomicFileWriter::write(const void* data, std::size_t length) {
    if (!status_.ok() || done_) return false;
    if (file_.write(data, length)) return true;
    takeStatus();
    return false;
}

IoResult AtomicFileWriter::commit() {
    if (done_) return status_;
    if (status_.ok()) {
        file_.commit(true);
        takeStatus();
    }
    file_.discard();
    done_ = true;
    return status_;
}

void AtomicFileWriter::discard() {
    file_.discard();
    done_ = true;
}

IoResult writeFileAtomically(const std::string& path, const void* data, std::size_t length,
                             AtomicFile::Links links, AtomicFile::Claim claim) {
    AtomicFileWriter writer(path, links, claim);
    writer.write(data, length);
    return writer.commit();
}

IoResult writeFileAtomically(const std::string& path, const Bytes& bytes,
                             AtomicFile::Links links) {
    return writeFileAtomically(path, bytes.data(), bytes.size(), links);
}

IoResult writeFileAtomically(const std::string& path, const std::string& text) {
    return writeFileAtomically(path, text.data(), text.size());
}

IoResult outOfMemory(std::size_t size) {
    return IoResult::failure(IoStatus::InvalidData, "not readable: not enough memory to decode " +
                                                        std::to_string(size) + " bytes");
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

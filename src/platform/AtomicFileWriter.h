// Files written whole or not at all: the bytes go to a temporary file beside the target, which
// replaces the target only when everything was written; a failure leaves the target as it was
// and no temporary behind. A link planted at the target is replaced, never followed, unless
// the writer is asked to follow links (documents: the file a document's name leads to is the
// one saved, in its own folder); a folder, FIFO or device there is refused before anything is
// written (WriteFailed: it cannot be replaced). IoResult carries the outcome of every file
// operation of this layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "numerics/AtomicFile.h"
#include "numerics/FileReader.h"

namespace vornex {

using Bytes = std::vector<std::uint8_t>;

enum class IoStatus {
    Ok,
    OpenFailed,   // the file (or its temporary) could not be created or opened
    WriteFailed,  // writing, flushing or renaming failed
    ReadFailed,   // reading failed
    InvalidData,  // the bytes are not in the expected format
    NotKept,      // the bytes are sound but hold values this system cannot keep
};

struct IoResult {
    IoStatus status = IoStatus::Ok;
    // Names the file and the cause; empty on success.
    std::string message;

    bool ok() const { return status == IoStatus::Ok; }
    explicit operator bool() const { return ok(); }
    static IoResult failure(IoStatus s, std::string message) { return {s, std::move(message)}; }
};

// The refusal of data of `size` bytes whose reading found no memory left.
IoResult outOfMemory(std::size_t size);

class AtomicFileWriter {
   public:
    // Creates the temporary file at once; status() tells whether that worked. `links` says
    // what a symbolic link at the path means (AtomicFile::Links), `claim` whose file the new
    // one may replace (AtomicFile::Claim: Recorded for a name the user did not choose).
    explicit AtomicFileWriter(std::string path,
                              AtomicFile::Links links = AtomicFile::Links::Replace,
                              AtomicFile::Claim claim = AtomicFile::Claim::Any);
    // Removes the temporary unless commit() succeeded.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once any write failed; later writes are ignored.
    bool write(const void* data, std::size_t length);
    bool write(const std::string& text) { return write(text.data(), text.size()); }
    // Closes the temporary and moves it onto the target path. Reports the first failure of
    // the whole sequence; the target is untouched unless the result is Ok.
    IoResult commit();
    // Drops what was written; the target is untouched.
    void discard();

    const IoResult& status() const { return status_; }

   private:
    // The outcome so far, in this layer's terms.
    void takeStatus();

    std::string path_;
    AtomicFile file_;
    IoResult status_;
    bool done_ = false;
};

IoResult writeFileAtomically(const std::string& path, const void* data, std::size_t length,
                             AtomicFile::Links links = AtomicFile::Links::Replace,
                             AtomicFile::Claim claim = AtomicFile::Claim::Any);
IoResult writeFileAtomically(const std::string& path, const Bytes& bytes,
                             AtomicFile::Links links = AtomicFile::Links::Replace);
IoResult writeFileAtomically(const std::string& path, const std::string& text);
// Reads a whole regular file of at most `limit` bytes; `out` is cleared first. A FIFO, folder,
// device, socket or dangling link is refused (ReadFailed) without waiting or reading, and so
// is a file above the limit; a missing or unopenable file is OpenFailed.
IoResult readFileBytes(const std::string& path, Bytes& out,
                       std::size_t limit = kDocumentFileLimit);

}  // namespace vornex

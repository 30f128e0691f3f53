// Whole files read without risk from what lies at a path: the one way this system opens a
// file for reading. The file is opened without blocking, examined with fstat and refused,
// before a byte is read, when it is not a regular file (a FIFO, a folder, a device, a socket,
// a link to nothing) or larger than the limit for its kind; a refusal names the path and
// what it is. A FIFO therefore never blocks the reader and /dev/zero never fills memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vornex {

// Largest file of each kind, in bytes. Documents and tables grow with the work they hold;
// preferences and component files are a few lines.
inline constexpr std::size_t kDocumentFileLimit = std::size_t{256} << 20;
inline constexpr std::size_t kTableFileLimit = std::size_t{256} << 20;
inline constexpr std::size_t kPreferencesFileLimit = std::size_t{4} << 20;
inline constexpr std::size_t kComponentFileLimit = std::size_t{1} << 20;

enum class FileReadStatus {
    Ok,
    NotFound,    // nothing at the path (or no data file of that name)
    OpenFailed,  // something is there but could not be opened (permissions, ...)
    Refused,     // not a regular file, or above the limit
    ReadFailed,  // reading failed part way
};

struct FileRead {
    FileReadStatus status = FileReadStatus::Ok;
    // Names the path and the cause; empty when the file was read.
    std::string message;

    bool ok() const { return status == FileReadStatus::Ok; }
    explicit operator bool() const { return ok(); }
};

// Reads the whole file at `path` into `out` (cleared first, and left empty on failure).
FileRead readRegularFile(const std::string& path, std::size_t limit, std::string& out);
FileRead readRegularFile(const std::string& path, std::size_t limit,
                         std::vector<std::uint8_t>& out);

// Reads the data file named relative to the data folders ("compo/H2O", "satu0"), found as
// findDataFile finds it. Something that is not a regular file at that name in the working
// folder is Refused (never passed over for another folder's file); a name found nowhere is
// not opened: NotFound.
FileRead readDataFile(const std::string& relativeName, std::size_t limit, std::string& out);

// What sits at `path` when it is not a regular file ("a FIFO (named pipe)", "a folder", "a
// character device", "a link to a missing file", ...); empty for a regular file or nothing.
std::string describeNonRegular(const std::string& path);

}  // namespace vornex

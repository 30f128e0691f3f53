// Where the fluid's tables, Igor text files, binary row files and gnuplot scripts go, and
// how they are opened. Every file a tracer writes passes through here, so that a name built
// from a console suffix cannot leave the output folder, a file that cannot be written is
// reported instead of crashing, and a whole-file write never leaves half a file behind.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "numerics/AtomicFile.h"

namespace vornex {

class OutputFiles {
   public:
    // A suffix is appended to file and wave names; it may hold neither "/" nor control
    // characters, and at most this many characters.
    static constexpr std::size_t kMaxSuffixLength = 64;
    // A whole file name (prefix and suffix) stays well inside the file-system limit, so
    // that its temporary name fits as well.
    static constexpr std::size_t kMaxNameLength = 200;

    // The folder the files go to; empty (the default) means the working directory.
    static void setDirectory(const std::string& directory);
    static const std::string& directory();

    static bool isValidSuffix(std::string_view suffix);
    static bool isValidName(std::string_view name);
    // isValidSuffix, with a message on standard error naming the suffix when it is not.
    static bool checkSuffix(std::string_view suffix);
    // A suffix that also ends the Igor wave names of a file: letters, digits and "_" only,
    // the characters of Igor's standard names (a blank would split every name of the
    // WAVES line in two, a quote or a point makes a name Igor cannot parse).
    static bool isWaveNameSuffix(std::string_view suffix);
    // isWaveNameSuffix, with a message on standard error naming the suffix and the rule.
    static bool checkWaveNameSuffix(std::string_view suffix);

    // The path at which a file of this name is written: the plain name in the working
    // directory. gnuplot runs in the working directory, so scripts name their data files
    // by this path too.
    static std::string pathOf(std::string_view name);

    // Writes the bytes as the whole file (temporary file, then rename). False, with a
    // message on standard error, when the file cannot be written; nothing is left then.
    static bool writeWholeFile(std::string_view name, std::span<const std::byte> bytes);

    // How many files this process has failed to write (a refused name or suffix, a file
    // that could not be created, a write or rename that failed): a program compares the
    // count before and after a command to fail the command.
    static unsigned long failures();

    // Runs gnuplot on a script written here (when plotting is switched on).
    static int plot(std::string_view script);
};

// One output file, written as an AtomicFile: a file opened to replace takes its own name only
// at commit, so that a failed, abandoned or interrupted write leaves nothing behind; a
// streamed file takes its name at once and shows its rows as they come. The file replaces
// only a file this system wrote at the name (AtomicFile::Claim::Recorded): a file of the
// user's there, one edited since, or a link planted at the name is refused and left as it was
// (a link is never followed); so is a folder, FIFO or device.
class OutputFile {
   public:
    enum class Mode { Replace, Stream };

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False, with a message on standard error, when the name is not acceptable or the file
    // cannot be created.
    bool open(std::string_view name, Mode mode = Mode::Replace);
    bool isOpen() const { return file_.isOpen(); }
    std::FILE* stream() const { return stream_; }
    const std::string& name() const { return name_; }

    // Formatted text; nothing when the file is not open.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void write(const void* data, std::size_t size);

    // Closes the file and gives it its name. False, with a message, when a write failed
    // (the replacing file is then removed, the streamed one stays as far as it got).
    bool commit();
    // Closes and removes a replacing file that is not wanted after all.
    void abandon();

   private:
    AtomicFile file_;
    std::FILE* stream_ = nullptr;
    std::string name_;
    Mode mode_ = Mode::Replace;
};

}  // namespace vornex

// The output channel of a curve tracer: an Igor text file, a column table, binary rows of
// 8-byte doubles (gathered in memory and written at the end, or written as they come), or a
// flat array of doubles handed back to the caller. A tracer writes its header and text rows
// with its own formats through print(), and its values through row(), which the binary and
// array channels take and the text channels ignore.
#pragma once

#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fluid/OutputFiles.h"
#include "fluid/Phase.h"  // CurveArray

namespace vornex {

// Output selector of the tracers; any other value writes nothing.
enum OutputChannel : char {
    kIgorText = 1,
    kColumnTable = 2,
    kBinaryGathered = 4,
    kBinaryStreamed = 5,
    kCurveArray = 6,
};

class CurveOutput {
   public:
    // The array is read only by channel 6 and may be null otherwise.
    explicit CurveOutput(char channel, CurveArray* array = nullptr);
    ~CurveOutput();
    CurveOutput(const CurveOutput&) = delete;
    CurveOutput& operator=(const CurveOutput&) = delete;

    char channel() const { return channel_; }
    bool isText() const { return channel_ == kIgorText || channel_ == kColumnTable; }
    bool isIgor() const { return channel_ == kIgorText; }
    bool isBinary() const { return channel_ == kBinaryGathered || channel_ == kBinaryStreamed; }
    bool isArray() const { return channel_ == kCurveArray; }
    // Channels 1, 2, 4 and 5 write a file.
    bool writesFile() const { return isText() || isBinary(); }

    // Opens the file of a file channel (nothing to open for the others). False, with a
    // message on standard error, when the name is refused or the file cannot be created;
    // nothing is written then.
    bool open(std::string_view name);
    // open() with the name prefix + suffix + ending, the suffix checked first; a null
    // suffix counts as empty.
    bool open(std::string_view prefix, const char* suffix, std::string_view ending = "");
    // Text rows go to a stream the caller opened and keeps (row writers that a driver
    // hands its open file); nothing is opened or closed here then.
    void attach(std::FILE* stream) { external_ = stream; }
    const std::string& fileName() const { return name_; }
    // The stream of the text rows, null when there is none.
    std::FILE* stream() const;

    // Text of the header and the rows (text channels only).
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // One point: raw doubles for the binary channels, appended to the array for channel 6.
    void row(std::span<const double> values);
    void row(std::initializer_list<double> values) {
        row(std::span<const double>(values.begin(), values.size()));
    }

    // Writes what was gathered and gives the file its name. True when nothing failed (also
    // for channels without a file); false, with a message, when a file could not be opened
    // or written. Called by the destructor when the tracer did not.
    bool close();
    // Closes without giving the file its name: a curve that found nothing to write leaves
    // nothing behind, and a file of that name written before stays as it was.
    void abandon();

   private:
    char channel_;
    CurveArray* array_;
    std::string name_;
    OutputFile file_;
    std::FILE* external_ = nullptr;
    std::vector<std::byte> gathered_;
    bool failed_ = false, closed_ = false;
};

}  // namespace vornex

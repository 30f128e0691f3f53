#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdarg>

#include "numerics/ConsoleInput.h"
#include "numerics/Gnuplot.h"

namespace vornex {

namespace {

std::atomic<unsigned long> failedWrites{0};

std::string& outputDirectory() {
    static std::string directory;
    return directory;
}

bool hasForbiddenCharacter(std::string_view text) {
    for (unsigned char c : text)
        if (c == '/' || c < 0x20 || c == 0x7f) return true;
    return false;
}

// A rejected name as its message shows it.
std::string printable(std::string_view text) {
    return shownWord(text, 80);
}

}  // namespace

void OutputFiles::setDirectory(const std::string& directory) {
    std::string& d = outputDirectory();
    d = directory;
    while (d.size() > 1 && d.back() == '/') d.pop_back();
}

const std::string& OutputFiles::directory() {
    return outputDirectory();
}

bool OutputFiles::isValidSuffix(std::string_view suffix) {
    return suffix.size() <= kMaxSuffixLength && !hasForbiddenCharacter(suffix);
}

bool OutputFiles::isValidName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxNameLength && name != "." && name != ".." &&
           !hasForbiddenCharacter(name);
}

unsigned long OutputFiles::failures() {
    return failedWrites.load();
}

bool OutputFiles::checkSuffix(std::string_view suffix) {
    if (isValidSuffix(suffix)) return true;
    ++failedWrites;
    vornex::cfprintf(stderr,
                 "Suffix \"%s\" refused: at most %zu characters, without \"/\" or control "
                 "characters\n",
                 printable(suffix).c_str(), kMaxSuffixLength);
    return false;
}

bool OutputFiles::isWaveNameSuffix(std::string_view suffix) {
    if (!isValidSuffix(suffix)) return false;
    for (unsigned char c : suffix)
        if (!(std::isalnum(c) || c == '_') || c >= 0x80) return false;
    return true;
}

bool OutputFiles::checkWaveNameSuffix(std::string_view suffix) {
    if (!checkSuffix(suffix)) return false;
    if (isWaveNameSuffix(suffix)) return true;
    ++failedWrites;
    vornex::cfprintf(stderr,
                 "Suffix \"%s\" refused: a suffix ends the Igor wave names of the file, which "
                 "take letters, digits and \"_\" only\n",
                 printable(suffix).c_str());
    return false;
}

std::string OutputFiles::pathOf(std::string_view name) {
    const std::string& d = directory();
    if (d.empty()) return std::string(name);
    return d + (d.back() == '/' ? "" : "/") + std::string(name);
}

bool OutputFiles::writeWholeFile(std::string_view name, std::span<const std::byte> bytes) {
    OutputFile file;
    if (!file.open(name)) return false;
    file.write(bytes.data(), bytes.size());
    return file.commit();
}

int OutputFiles::plot(std::string_view script) {
    return runGnuplot(pathOf(script));
}

OutputFile::~OutputFile() {
    if (!isOpen()) return;
    if (mode_ == Mode::Replace)
        abandon();
    else
        commit();
}

bool OutputFile::open(std::string_view name, Mode mode) {
    if (isOpen()) abandon();
    if (!OutputFiles::isValidName(name)) {
        ++failedWrites;
        vornex::cfprintf(stderr, "Cannot write \"%s\": not an acceptable file name\n",
                     printable(name).c_str());
        return false;
    }
    name_ = std::string(name);
    mode_ = mode;
    stream_ = openOutput(file_, OutputFiles::pathOf(name),
                         mode == Mode::Replace ? AtomicFile::Mode::Replace : AtomicFile::Mode::Stream);
    if (stream_ == nullptr) {
        ++failedWrites;
        return false;
    }
    return true;
}

void OutputFile::print(const char* format, ...) {
    if (stream_ == nullptr) return;
    va_list args;
    va_start(args, format);
    vornex::vcfprintf(stream_, format, args);
    va_end(args);
}

void OutputFile::write(const void* data, std::size_t size) {
    if (stream_ != nullptr && size > 0) std::fwrite(data, 1, size, stream_);
}

bool OutputFile::commit() {
    if (stream_ == nullptr) return false;
    stream_ = nullptr;
    if (commitOutput(file_)) return true;
    ++failedWrites;
    return false;
}

void OutputFile::abandon() {
    stream_ = nullptr;
    file_.discard();
}

}  // namespace vornex

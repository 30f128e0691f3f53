#include "fluid/OutputFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstring>
#include <iterator>

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

// A printable rendering of a rejected name for the message: control characters as "?".
std::string printable(std::string_view text) {
    std::string shown;
    for (unsigned char c : text.substr(0, 80)) shown += (c < 0x20 || c == 0x7f) ? '?' : char(c);
    if (text.size() > 80) shown += "...";
    return shown;
}

// Creates a fresh file beside `finalPath` for writing; its name starts with a dot so that
// a listing of the output folder does not show it.
std::FILE* createTemporary(const std::string& finalPath, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    std::size_t slash = finalPath.rfind('/');
    std::string folder = slash == std::string::npos ? "" : finalPath.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "." + base + "." + std::to_string(::getpid()) + "." +
                   std::to_string(counter++) + ".tmp";
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::FILE* stream = ::fdopen(fd, "w");
            if (stream == nullptr) {
                ::close(fd);
                ::unlink(tempPath.c_str());
            }
            return stream;
        }
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

// The temporaries being written, so that an interrupted program (Ctrl-C, a time limit) can
// remove them before it ends. The signal handler may run at any point of the program, so
// the registry is a fixed table of plain character arrays guarded by atomic slot states: no
// allocation, no lock, nothing but unlink in the handler. A temporary written while every
// slot is taken is simply not removed on interruption.
constexpr int kTemporarySlots = 32;
constexpr std::size_t kTemporaryPathLength = 4096;
enum SlotState : int { kFree = 0, kFilling = 1, kHeld = 2 };
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slot states");
std::atomic<int> slotState[kTemporarySlots];
char slotPath[kTemporarySlots][kTemporaryPathLength];

// The signals of an interruption, and what was in place for each before the cleanup.
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU};
struct sigaction previousAction[std::size(kCleanupSignals)];

void removeTemporariesAndPassOn(int signal, siginfo_t* info, void* context) {
    const int saved = errno;
    for (int k = 0; k < kTemporarySlots; ++k)
        if (slotState[k].load() == kHeld) ::unlink(slotPath[k]);
    errno = saved;
    for (std::size_t k = 0; k < std::size(kCleanupSignals); ++k) {
        if (kCleanupSignals[k] != signal) continue;
        const struct sigaction& before = previousAction[k];
        if ((before.sa_flags & SA_SIGINFO) != 0 && before.sa_sigaction != nullptr) {
            before.sa_sigaction(signal, info, context);
        } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
            before.sa_handler(signal);
        } else {
            // The default action ends the program: restore it and deliver the signal again,
            // so that the parent sees the program ended by this signal.
            ::signal(signal, SIG_DFL);
            ::raise(signal);
        }
        return;
    }
}

// Installs the handler once, for the signals whose action is not "ignore" (a program run
// in the background with interruptions ignored stays so).
void installCleanupHandler() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    for (std::size_t k = 0; k < std::size(kCleanupSignals); ++k) {
        struct sigaction current {};
        if (::sigaction(kCleanupSignals[k], nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) continue;
        previousAction[k] = current;
        struct sigaction action {};
        action.sa_sigaction = removeTemporariesAndPassOn;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(kCleanupSignals[k], &action, nullptr);
    }
}

// The slot now holding `path`, or -1 when the path is too long or no slot is free.
int registerTemporary(const std::string& path) {
    installCleanupHandler();
    if (path.size() >= kTemporaryPathLength) return -1;
    for (int k = 0; k < kTemporarySlots; ++k) {
        int expected = kFree;
        if (!slotState[k].compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(slotPath[k], path.c_str(), path.size() + 1);
        slotState[k].store(kHeld);
        return k;
    }
    return -1;
}

void releaseTemporary(int& slot) {
    if (slot >= 0) slotState[slot].store(kFree);
    slot = -1;
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
    std::fprintf(stderr,
                 "Suffix \"%s\" refused: at most %zu characters, without \"/\" or control "
                 "characters\n",
                 printable(suffix).c_str(), kMaxSuffixLength);
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
    if (stream_ == nullptr) return;
    if (mode_ == Mode::Replace)
        abandon();
    else
        commit();
}

bool OutputFile::open(std::string_view name, Mode mode) {
    if (stream_ != nullptr) abandon();
    if (!OutputFiles::isValidName(name)) {
        ++failedWrites;
        std::fprintf(stderr, "Cannot write \"%s\": not an acceptable file name\n",
                     printable(name).c_str());
        return false;
    }
    name_ = std::string(name);
    finalPath_ = OutputFiles::pathOf(name);
    mode_ = mode;
    if (mode == Mode::Replace) {
        stream_ = createTemporary(finalPath_, writePath_);
        if (stream_ != nullptr) temporarySlot_ = registerTemporary(writePath_);
    } else {
        writePath_ = finalPath_;
        stream_ = std::fopen(finalPath_.c_str(), "w");
    }
    if (stream_ == nullptr) {
        ++failedWrites;
        std::fprintf(stderr, "Cannot write %s: %s\n", finalPath_.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

void OutputFile::print(const char* format, ...) {
    if (stream_ == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stream_, format, args);
    va_end(args);
}

void OutputFile::write(const void* data, std::size_t size) {
    if (stream_ != nullptr && size > 0) std::fwrite(data, 1, size, stream_);
}

bool OutputFile::commit() {
    if (stream_ == nullptr) return false;
    errno = 0;
    bool failed = std::fflush(stream_) != 0 || std::ferror(stream_) != 0;
    int error = errno;
    if (std::fclose(stream_) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    stream_ = nullptr;
    if (failed && error == 0) error = EIO;
    if (!failed && mode_ == Mode::Replace &&
        std::rename(writePath_.c_str(), finalPath_.c_str()) != 0) {
        failed = true;
        error = errno;
    }
    if (failed) {
        ++failedWrites;
        std::fprintf(stderr, "Writing %s failed: %s\n", finalPath_.c_str(), std::strerror(error));
        if (mode_ == Mode::Replace) ::unlink(writePath_.c_str());
    }
    releaseTemporary(temporarySlot_);
    return !failed;
}

void OutputFile::abandon() {
    if (stream_ == nullptr) return;
    std::fclose(stream_);
    stream_ = nullptr;
    if (mode_ == Mode::Replace) ::unlink(writePath_.c_str());
    releaseTemporary(temporarySlot_);
}

}  // namespace vornex

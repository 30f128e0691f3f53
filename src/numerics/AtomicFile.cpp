#include "numerics/AtomicFile.h"
#include "numerics/Decimal.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <mutex>

namespace vornex {

namespace {

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

void noteFileSizeLimit(int) {}

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

// The folder part of `path` (with its slash; empty for the working folder) and the name.
void splitPath(const std::string& path, std::string& folder, std::string& base) {
    const std::size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    base = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The start of the names of the temporaries of a file named `base`: ".BASE.", the name cut
// short (at a character, not inside one) where the whole ".BASE.PID.N.tmp" could pass the
// 255 bytes a file system allows a name. Names sharing a long start share it; the process
// number and counter keep their temporaries apart.
std::string temporaryPrefix(const std::string& base) {
    // Room for ".PID.N.tmp": a process number and a counter of up to ten digits each.
    constexpr std::size_t kNameMax = 255, kTail = 1 + 10 + 1 + 10 + 4;
    constexpr std::size_t kStem = kNameMax - 1 - kTail;
    std::size_t keep = std::min(base.size(), kStem);
    auto continuation = [&base](std::size_t at) {
        return (static_cast<unsigned char>(base[at]) & 0xC0) == 0x80;
    };
    while (keep > 0 && keep < base.size() && continuation(keep)) --keep;
    return "." + base.substr(0, keep) + ".";
}

// Whether `rest` is "PID.N.tmp", the tail of a temporary's name, and the PID.
bool temporaryTail(const std::string& rest, pid_t& pid) {
    std::size_t at = 0;
    auto digits = [&rest, &at](std::uint64_t& value) {
        const std::size_t start = at;
        value = 0;
        while (at < rest.size() && at - start < 19 && rest[at] >= '0' && rest[at] <= '9')
            value = value * 10 + static_cast<std::uint64_t>(rest[at++] - '0');
        return at > start;
    };
    std::uint64_t p = 0, n = 0;
    if (!digits(p) || at >= rest.size() || rest[at++] != '.' || !digits(n)) return false;
    if (rest.compare(at, std::string::npos, ".tmp") != 0) return false;
    if (p == 0 || p > static_cast<std::uint64_t>(std::numeric_limits<pid_t>::max())) return false;
    pid = static_cast<pid_t>(p);
    return true;
}

// Whether the process of a temporary is gone: not this one, and no process has the number.
bool processGone(pid_t pid) {
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Whether `name` is a temporary of the file whose temporaries' names start with `prefix`
// left by a process that is gone: "PREFIX PID.N.tmp", or the temporary a writer made of such
// a temporary (a scratch file written through a writer of its own), "." PREFIX "PID.N.tmp."
// "PID.M.tmp" with both processes gone. Nothing else has such a name: every part is checked,
// and a nested name only counts when it is the whole, uncut name a writer gives it.
bool staleTemporary(const std::string& name, const std::string& prefix) {
    pid_t pid = 0;
    if (name.compare(0, prefix.size(), prefix) == 0)
        return temporaryTail(name.substr(prefix.size()), pid) && processGone(pid);
    if (name.size() <= prefix.size() + 1 || name[0] != '.' ||
        name.compare(1, prefix.size(), prefix) != 0)
        return false;
    const std::string rest = name.substr(prefix.size() + 1);
    const std::size_t cut = rest.find(".tmp.");
    if (cut == std::string::npos) return false;
    const std::string inner = rest.substr(0, cut + 4);
    pid_t writer = 0;
    return temporaryTail(inner, pid) && temporaryTail(rest.substr(cut + 5), writer) &&
           temporaryPrefix(prefix + inner) == "." + prefix + inner + "." && processGone(pid) &&
           processGone(writer);
}

// Removes the temporaries of `path` left by writers that were killed before they could
// (SIGKILL, a crash, a power cut). A temporary whose process still exists is left alone: it
// may be a save under way, or a process that took over a reused number (kept, to be safe).
// Only regular files go: a writer makes nothing else.
void removeStaleTemporaries(const std::string& path) {
    std::string folder, base;
    splitPath(path, folder, base);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    const std::string prefix = temporaryPrefix(base);
    while (const dirent* entry = ::readdir(dir)) {
        if (!staleTemporary(entry->d_name, prefix)) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// The name of the file `path` leads to: `path` itself unless it is a symbolic link, else the
// end of its chain of links, each relative one read from the folder of its link; a name at
// the end that does not exist yet is where the file is to be made. Empty, with errno set,
// for a chain of more than 40 links (ELOOP, as the system counts) or a link that cannot be
// read.
std::string followLinks(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat entry {};
        if (::lstat(at.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) return at;
        if (hops == 40) break;
        char to[4096];
        const ssize_t n = ::readlink(at.c_str(), to, sizeof to);
        if (n < 0) return {};
        if (n == 0 || static_cast<std::size_t>(n) >= sizeof to) {
            errno = n == 0 ? ENOENT : ENAMETOOLONG;
            return {};
        }
        std::string folder, base;
        splitPath(at, folder, base);
        at = to[0] == '/' ? std::string(to, static_cast<std::size_t>(n))
                          : folder + std::string(to, static_cast<std::size_t>(n));
    }
    errno = ELOOP;
    return {};
}

// Gives a file made to replace `path` the permissions and group of the file there, so that a
// private document stays private across saves; read and write never beyond what the caller
// asked for (`permissions`), execute as it was. Nothing is done for a new name or a link,
// which is replaced and says nothing of the file it points to.
void keepPermissions(int fd, const std::string& path, unsigned permissions) {
    struct stat old {};
    if (::lstat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return;
    // Only the group this user may give; otherwise the file keeps this user's.
    struct stat made {};
    if (::fstat(fd, &made) == 0 && made.st_gid != old.st_gid) (void)::fchown(fd, -1, old.st_gid);
    (void)::fchmod(fd, old.st_mode & 0777 & (static_cast<mode_t>(permissions) | 0111));
}

// Creates a fresh temporary beside `path`, never through a link; its name starts with a dot
// so that a listing of the folder does not show it. When `removedOnInterruption`, it is
// registered for the cleanup of an interruption, which waits until then: an interruption
// between its creation and its registration would leave it behind. The descriptor, or -1
// with errno set.
int createTemporary(const std::string& path, unsigned permissions, std::string& tempPath,
                    bool removedOnInterruption, int& slot) {
    static std::atomic<unsigned> counter{0};
    std::string folder, base;
    splitPath(path, folder, base);
    installCleanupHandler();
    sigset_t interruptions, before;
    sigemptyset(&interruptions);
    for (int signal : kCleanupSignals) sigaddset(&interruptions, signal);
    ::pthread_sigmask(SIG_BLOCK, &interruptions, &before);
    int fd = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + temporaryPrefix(base) + std::to_string(::getpid()) + "." +
                   std::to_string(counter++) + ".tmp";
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    static_cast<mode_t>(permissions));
        if (fd >= 0 || errno != EEXIST) break;
    }
    const int created = fd >= 0 ? 0 : errno;
    if (fd >= 0 && removedOnInterruption) slot = registerTemporary(tempPath);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    errno = created;
    return fd;
}

}  // namespace

void continueAtFileSizeLimit() {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) != 0) return;
    // A handler of the program's own, or the signal ignored already, stays as it is.
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction action {};
    action.sa_handler = noteFileSizeLimit;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}

std::string refusedOutputEntry(const std::string& path, AtomicFile::Links links) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) return {};
    if (S_ISLNK(entry.st_mode) && links == AtomicFile::Links::Refuse) return "is a symbolic link";
    if (S_ISDIR(entry.st_mode)) return "is a folder";
    if (S_ISFIFO(entry.st_mode)) return "is a FIFO";
    if (S_ISCHR(entry.st_mode) || S_ISBLK(entry.st_mode)) return "is a device";
    if (S_ISSOCK(entry.st_mode)) return "is a socket";
    return {};
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::fail(Step step, int error, std::string problem) {
    if (step_ != Step::None) return;
    step_ = step;
    error_ = error;
    problem_ = problem.empty() ? std::strerror(error) : std::move(problem);
}

namespace {

struct WrittenFiles {
    std::mutex mutex;
    std::vector<std::string> paths;
};

WrittenFiles& writtenFiles() {
    static WrittenFiles* files = new WrittenFiles;  // never destroyed: written to until exit
    return *files;
}

void recordWritten(const std::string& path) {
    WrittenFiles& w = writtenFiles();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.paths.push_back(path);
}

}  // namespace

int removeOnSignal(const std::string& path) {
    return registerTemporary(path);
}

void releaseRemoveOnSignal(int& slot) {
    releaseTemporary(slot);
}

std::size_t writtenFileMark() {
    WrittenFiles& w = writtenFiles();
    std::lock_guard<std::mutex> lock(w.mutex);
    return w.paths.size();
}

std::vector<std::string> filesWrittenSince(std::size_t mark) {
    WrittenFiles& w = writtenFiles();
    std::lock_guard<std::mutex> lock(w.mutex);
    std::vector<std::string> names;
    for (std::size_t i = mark; i < w.paths.size(); ++i) {
        // A file removed since (a scratch file read back, a curve given up) was not left.
        struct stat entry;
        if (lstat(w.paths[i].c_str(), &entry) != 0) continue;
        if (std::find(names.begin(), names.end(), w.paths[i]) == names.end())
            names.push_back(w.paths[i]);
    }
    return names;
}

void reportFilesWrittenSince(std::size_t mark, std::FILE* out,
                             const std::vector<std::string>& except) {
    std::vector<std::string> names = filesWrittenSince(mark);
    std::erase_if(names, [&](const std::string& name) {
        return std::find(except.begin(), except.end(), name) != except.end();
    });
    if (names.empty()) return;
    std::string line = "Wrote";
    for (std::size_t i = 0; i < names.size(); ++i) line += (i == 0 ? " " : ", ") + names[i];
    vornex::cfprintf(out, "%s\n", line.c_str());
}

bool AtomicFile::open(const std::string& path, Mode mode, unsigned permissions, Links links) {
    discard();
    continueAtFileSizeLimit();
    path_ = path;
    mode_ = mode;
    step_ = Step::None;
    error_ = 0;
    streamError_ = 0;
    problem_.clear();
    tempPath_.clear();
    if (path.empty()) {
        fail(Step::Create, ENOENT, "no file name");
        return false;
    }
    target_ = links == Links::Follow ? followLinks(path) : path;
    if (target_.empty()) {
        fail(Step::Create, errno, std::strerror(errno) + std::string(" (following its links)"));
        return false;
    }
    // A failure at the end of the links names where they lead.
    const std::string via = target_ == path ? "" : " (the link leads to '" + target_ + "')";
    if (std::string refused = refusedOutputEntry(target_, links); !refused.empty()) {
        fail(Step::Create, 0, refused + via);
        return false;
    }
    removeStaleTemporaries(target_);
    fd_ = createTemporary(target_, permissions, tempPath_, mode == Mode::Replace, slot_);
    const int created = errno;
    if (fd_ < 0) {
        fail(Step::Create, created, std::strerror(created) + via);
        tempPath_.clear();
        return false;
    }
    keepPermissions(fd_, target_, permissions);
    if (mode == Mode::Replace) return true;
    // A streamed file takes its name now; rename replaces whatever entry is there and never
    // writes through it.
    if (std::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        fail(Step::Create, errno);
        ::close(fd_);
        fd_ = -1;
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    tempPath_.clear();
    recordWritten(path);
    return true;
}

std::FILE* AtomicFile::stream() {
    if (stream_ != nullptr || fd_ < 0) return stream_;
    // The stream writes through this object rather than straight to the descriptor, so that
    // the cause of a failed write (a full disk, the file-size limit) is kept: the stream
    // itself only remembers that one failed, and errno is long overwritten when it is asked.
    cookie_io_functions_t io{};
    io.write = [](void* cookie, const char* data, std::size_t size) -> ssize_t {
        auto* self = static_cast<AtomicFile*>(cookie);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(self->fd_, data + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (self->streamError_ == 0) self->streamError_ = n < 0 ? errno : EIO;
                return 0;
            }
            done += static_cast<std::size_t>(n);
        }
        return static_cast<ssize_t>(done);
    };
    stream_ = ::fopencookie(this, "w", io);
    if (stream_ == nullptr) fail(Step::Write, errno);
    return stream_;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (fd_ < 0 || step_ != Step::None) return false;
    if (stream_ != nullptr) {
        if (size > 0 && std::fwrite(data, 1, size, stream_) != size) {
            fail(Step::Write, streamError_ != 0 ? streamError_ : EIO);
            return false;
        }
        return true;
    }
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(Step::Write, errno);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void AtomicFile::flushStream() {
    if (stream_ == nullptr) return;
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0)
        fail(Step::Write, streamError_ != 0 ? streamError_ : errno != 0 ? errno : EIO);
}

bool AtomicFile::commit(bool sync) {
    if (fd_ < 0) {
        if (step_ == Step::None) fail(Step::Create, EBADF, "not open");
        return false;
    }
    flushStream();
    if (sync && step_ == Step::None && ::fsync(fd_) != 0 && errno != EINVAL)
        fail(Step::Write, errno);
    // The stream holds no descriptor of its own: closing it writes what it holds, and the
    // descriptor is closed after it.
    if (stream_ != nullptr && std::fclose(stream_) != 0)
        fail(Step::Write, streamError_ != 0 ? streamError_ : errno);
    if (::close(fd_) != 0) fail(Step::Write, errno);
    stream_ = nullptr;
    fd_ = -1;
    if (mode_ == Mode::Replace) {
        if (step_ == Step::None && std::rename(tempPath_.c_str(), target_.c_str()) != 0)
            fail(Step::Replace, errno);
        if (step_ != Step::None) ::unlink(tempPath_.c_str());
        releaseTemporary(slot_);
        tempPath_.clear();
        if (step_ == Step::None) recordWritten(path_);
    }
    return step_ == Step::None;
}

void AtomicFile::discard() {
    if (fd_ < 0) return;
    if (stream_ != nullptr) std::fclose(stream_);
    ::close(fd_);
    stream_ = nullptr;
    fd_ = -1;
    if (mode_ == Mode::Replace) {
        ::unlink(tempPath_.c_str());
        releaseTemporary(slot_);
        tempPath_.clear();
    }
}

bool ScratchFile::createFor(const std::string& path) {
    remove();
    problem_.clear();
    std::string made;
    // Scratch files a killed run left (and what a writer left of them) go first: their
    // names carry that run's process number and never recur.
    removeStaleTemporaries(path);
    const int fd = createTemporary(path, 0600, made, true, slot_);
    if (fd < 0) {
        problem_ = std::strerror(errno);
        return false;
    }
    ::close(fd);
    path_ = std::move(made);
    return true;
}

std::string ScratchFile::name() const {
    const std::size_t slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

void ScratchFile::remove() {
    if (path_.empty()) return;
    // A writer may have put a file of its own at the name (a rename onto it): whatever file
    // stands there is this one's. Anything else there is left alone.
    struct stat entry {};
    if (::lstat(path_.c_str(), &entry) == 0 && S_ISREG(entry.st_mode)) ::unlink(path_.c_str());
    releaseTemporary(slot_);
    path_.clear();
}

ScratchFile::~ScratchFile() {
    remove();
}

}  // namespace vornex

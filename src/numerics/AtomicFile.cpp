#include "numerics/AtomicFile.h"
#include "numerics/Decimal.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
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
#include <string_view>
#include <utility>

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
    // The writer never gives a number a leading zero: a name with one is not a temporary.
    auto canonical = [&rest, &at, &digits](std::uint64_t& value) {
        const std::size_t start = at;
        return digits(value) && (rest[start] != '0' || at == start + 1);
    };
    std::uint64_t p = 0, n = 0;
    if (!canonical(p) || at >= rest.size() || rest[at++] != '.' || !canonical(n)) return false;
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
// Only regular files of this user's with no other name go: a writer makes nothing else.
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
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1)
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

// ---- The record of outputs: which files at fixed names this system wrote in a folder.

// One line of header, then a line "INODE SIZE MTIME NAME" a file, the modification time in
// nanoseconds since 1970; plain decimal integers, whatever the locale. A name holds no
// newline (a name that would is never recorded).
constexpr const char* kRecordName = ".vornex-outputs";
constexpr std::string_view kRecordHeader = "vornex outputs 1\n";
// A record is a few lines a file; one far larger is not one this system wrote.
constexpr std::size_t kRecordLimit = std::size_t(16) << 20;

struct Identity {
    std::uint64_t inode = 0, size = 0;
    std::int64_t mtime = 0;
    bool operator==(const Identity&) const = default;
};

Identity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

using RecordEntries = std::vector<std::pair<std::string, Identity>>;

// The scratch files this process made (ScratchFile), by path, as they are now: a writer
// replaces them as its own outputs, and they never enter a record.
struct ScratchFiles {
    std::mutex mutex;
    RecordEntries made;
};

ScratchFiles& scratchFiles() {
    static ScratchFiles* files = new ScratchFiles;  // never destroyed: used until exit
    return *files;
}

// Sets (or, with a null identity, forgets) the scratch file at `path`; false when `path` is
// not one.
bool setScratchFile(const std::string& path, const Identity* identity, bool add = false) {
    ScratchFiles& s = scratchFiles();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto it = s.made.begin(); it != s.made.end(); ++it) {
        if (it->first != path) continue;
        if (identity == nullptr)
            s.made.erase(it);
        else
            it->second = *identity;
        return true;
    }
    if (add && identity != nullptr) s.made.emplace_back(path, *identity);
    return add;
}

bool isScratchFileAsMade(const std::string& path, const Identity& now) {
    ScratchFiles& s = scratchFiles();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const auto& [made, identity] : s.made)
        if (made == path) return identity == now;
    return false;
}

// Reads a decimal integer (an optional "-" first) up to the next blank.
bool readInteger(std::string_view& text, std::int64_t& value, bool isSigned) {
    bool negative = false;
    if (isSigned && !text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    std::uint64_t v = 0;
    std::size_t n = 0;
    while (n < text.size() && n < 19 && text[n] >= '0' && text[n] <= '9')
        v = v * 10 + static_cast<std::uint64_t>(text[n++] - '0');
    if (n == 0 || n >= text.size() || text[n] != ' ') return false;
    if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
    value = negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
    text.remove_prefix(n + 1);
    return true;
}

// What stands at a folder's record name: nothing, a record of this system's (read into
// `entries`), or something else (a file of another header, a link, a record that cannot be
// read), which is neither trusted nor replaced.
enum class RecordState { Missing, Ours, Other };

RecordState readRecord(const std::string& folder, RecordEntries& entries) {
    entries.clear();
    const std::string path = folder + kRecordName;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        struct stat st {};
        return errno == ENOENT && ::lstat(path.c_str(), &st) != 0 ? RecordState::Missing
                                                                  : RecordState::Other;
    }
    struct stat st {};
    std::string text;
    bool readable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                    static_cast<std::uint64_t>(st.st_size) <= kRecordLimit;
    if (readable) {
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        readable = done == text.size();
    }
    ::close(fd);
    if (!readable || text.compare(0, kRecordHeader.size(), kRecordHeader) != 0)
        return RecordState::Other;
    std::string_view rest = std::string_view(text).substr(kRecordHeader.size());
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) return RecordState::Other;  // cut short
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        std::int64_t inode = 0, size = 0, mtime = 0;
        if (!readInteger(line, inode, false) || !readInteger(line, size, false) ||
            !readInteger(line, mtime, true) || line.empty())
            return RecordState::Other;
        entries.emplace_back(std::string(line),
                             Identity{static_cast<std::uint64_t>(inode),
                                      static_cast<std::uint64_t>(size), mtime});
    }
    return RecordState::Ours;
}

// Writes the record whole, as every file is written (a temporary, then its name). Only over
// a record of this system's, or where there is none.
bool writeRecord(const std::string& folder, const RecordEntries& entries) {
    std::string text(kRecordHeader);
    for (const auto& [name, id] : entries)
        text += std::to_string(id.inode) + " " + std::to_string(id.size) + " " +
                std::to_string(id.mtime) + " " + name + "\n";
    const std::string path = folder + kRecordName;
    std::string tempPath;
    int slot = -1;
    removeStaleTemporaries(path);
    const int fd = createTemporary(path, 0666, tempPath, true, slot);
    if (fd < 0) return false;
    bool written = true;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    written = ::close(fd) == 0 && written && std::rename(tempPath.c_str(), path.c_str()) == 0;
    if (!written) ::unlink(tempPath.c_str());
    releaseTemporary(slot);
    return written;
}

// The folder's lock shared by the writers of recorded outputs, held while a name is checked,
// taken and recorded, so that concurrent runs never lose an entry of each other's. A folder
// that cannot be locked is used without: a lost entry only makes a later write refuse.
class FolderLock {
   public:
    explicit FolderLock(const std::string& folder) {
        fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

   private:
    int fd_ = -1;
};

// Why the entry at `path` is not to be replaced by a recorded output: empty when the name is
// free (`free` set) or holds a file this system wrote there as it is now.
std::string foreignEntry(const std::string& path, bool& free) {
    free = false;
    struct stat st {};
    // Nothing there to keep (a folder that is missing or cannot be searched fails the write
    // as it makes its temporary).
    if (::lstat(path.c_str(), &st) != 0) {
        free = true;
        return {};
    }
    if (S_ISLNK(st.st_mode)) return "is a symbolic link, not a file this program wrote";
    if (!S_ISREG(st.st_mode)) return "is not a file this program wrote";
    const Identity now = identityOf(st);
    if (isScratchFileAsMade(path, now)) return {};
    std::string folder, base;
    splitPath(path, folder, base);
    RecordEntries entries;
    if (readRecord(folder, entries) == RecordState::Ours)
        for (const auto& [name, id] : entries) {
            if (name != base) continue;
            if (id == now) return {};
            if (id.inode == now.inode) return "has changed since this program wrote it";
        }
    return "is there and was not written by this program";
}

// Lists the file now at `path` in its folder's record (or, for a scratch file, in this
// process's list), when it is the file of inode `inode` that this writer made; entries whose
// file is no longer there as recorded go.
void recordOutput(const std::string& path, std::uint64_t inode) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_ino) != inode)
        return;
    const Identity now = identityOf(st);
    if (setScratchFile(path, &now)) return;
    std::string folder, base;
    splitPath(path, folder, base);
    if (base.find('\n') != std::string::npos) return;
    RecordEntries entries, kept;
    if (readRecord(folder, entries) == RecordState::Other) return;
    for (const auto& [name, id] : entries) {
        struct stat there {};
        if (name != base && ::lstat((folder + name).c_str(), &there) == 0 &&
            S_ISREG(there.st_mode) && identityOf(there) == id)
            kept.emplace_back(name, id);
    }
    kept.emplace_back(base, now);
    writeRecord(folder, kept);
}

// Gives the temporary its name; when the name was free as checked, only while it still is
// (a file put there since is never replaced). EEXIST when it was taken meanwhile.
int renameOnto(const std::string& from, const std::string& to, bool onlyIfFree) {
    if (onlyIfFree) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        // A file system without the flag: the writers of outputs hold the folder's lock.
        if (errno != EINVAL && errno != ENOSYS) return errno;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
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

bool isRecordedOutput(const std::string& path) {
    bool free = false;
    return foreignEntry(path, free).empty() && !free;
}

bool restoreSetAsideOutput(const std::string& keptPath, const std::string& path, bool recorded) {
    std::string folder, base;
    splitPath(path, folder, base);
    FolderLock lock(folder);
    if (renameOnto(keptPath, path, true) != 0) return false;
    struct stat st {};
    if (recorded && ::lstat(path.c_str(), &st) == 0)
        recordOutput(path, static_cast<std::uint64_t>(st.st_ino));
    return true;
}

bool AtomicFile::claimName(Step step) {
    std::string folder, base;
    splitPath(target_, folder, base);
    bool free = false;
    std::string why;
    {
        FolderLock lock(folder);
        why = foreignEntry(target_, free);
    }
    if (why.empty()) return true;
    refusedForeign_ = true;
    fail(step, EEXIST, why);
    return false;
}

bool AtomicFile::open(const std::string& path, Mode mode, unsigned permissions, Links links,
                      Claim claim) {
    discard();
    claim_ = claim;
    refusedForeign_ = false;
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
    // A replacing output is refused before anything is computed for it, and checked again as
    // it takes its name.
    if (claim == Claim::Recorded && mode == Mode::Replace && !claimName(Step::Create))
        return false;
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
    // writes through it. A recorded output is listed as created: one cut short by a killed run
    // has changed since, and is not replaced.
    int renamed = 0;
    if (claim == Claim::Recorded) {
        std::string folder, base;
        splitPath(target_, folder, base);
        FolderLock lock(folder);
        bool free = false;
        std::string why = foreignEntry(target_, free);
        struct stat made {};
        if (why.empty()) renamed = renameOnto(tempPath_, target_, free);
        if (renamed == EEXIST) why = "is there and was not written by this program";
        if (!why.empty()) {
            refusedForeign_ = true;
            fail(Step::Create, EEXIST, why);
            renamed = EEXIST;
        } else if (renamed == 0 && ::fstat(fd_, &made) == 0) {
            recordOutput(target_, static_cast<std::uint64_t>(made.st_ino));
        }
    } else if (std::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        renamed = errno;
    }
    if (renamed != 0) {
        fail(Step::Create, renamed);
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
    struct stat made {};
    const bool known = ::fstat(fd_, &made) == 0;
    if (!known && claim_ == Claim::Recorded) fail(Step::Write, errno);
    if (::close(fd_) != 0) fail(Step::Write, errno);
    stream_ = nullptr;
    fd_ = -1;
    if (claim_ == Claim::Recorded && known && (mode_ == Mode::Stream || step_ == Step::None)) {
        std::string folder, base;
        splitPath(target_, folder, base);
        FolderLock lock(folder);
        if (mode_ == Mode::Replace) {
            bool free = false;
            std::string why = foreignEntry(target_, free);
            const int renamed = why.empty() ? renameOnto(tempPath_, target_, free) : EEXIST;
            if (renamed == EEXIST && why.empty())
                why = "is there and was not written by this program";
            if (!why.empty()) refusedForeign_ = true;
            if (renamed != 0) fail(Step::Replace, renamed, why);
        }
        if (step_ == Step::None || mode_ == Mode::Stream)
            recordOutput(target_, static_cast<std::uint64_t>(made.st_ino));
    }
    if (mode_ == Mode::Replace) {
        if (step_ == Step::None && claim_ != Claim::Recorded &&
            std::rename(tempPath_.c_str(), target_.c_str()) != 0)
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
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    ::close(fd);
    path_ = std::move(made);
    if (known) {
        const Identity identity = identityOf(st);
        setScratchFile(path_, &identity, true);
    }
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
    setScratchFile(path_, nullptr);
    releaseTemporary(slot_);
    path_.clear();
}

ScratchFile::~ScratchFile() {
    remove();
}

std::string outputFailure(const AtomicFile& file, bool atCommit) {
    if (file.refusedForeign())
        return file.path() + " " + file.problem() + ": move or remove it to write it";
    return (atCommit ? "Writing " + file.path() + " failed: " : "Cannot write " + file.path() + ": ") +
           file.problem();
}

std::FILE* openOutput(AtomicFile& file, const std::string& path, AtomicFile::Mode mode,
                      unsigned permissions) {
    std::FILE* stream = file.open(path, mode, permissions, AtomicFile::Links::Replace,
                                  AtomicFile::Claim::Recorded)
                            ? file.stream()
                            : nullptr;
    if (stream != nullptr) return stream;
    // A streamed file that took its name but has no stream is no output either.
    file.discard();
    vornex::cfprintf(stderr, "%s\n", outputFailure(file, false).c_str());
    return nullptr;
}

bool commitOutput(AtomicFile& file) {
    if (file.commit()) return true;
    vornex::cfprintf(stderr, "%s\n", outputFailure(file, true).c_str());
    return false;
}

}  // namespace vornex

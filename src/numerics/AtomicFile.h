// The one way a file of this system is written. A replacing file is written under a hidden
// temporary name beside its own (cut short, when the name is long, to stay within the 255
// bytes of a name) and takes that name only at commit, so that a failed, abandoned or
// interrupted write leaves the previous file as it was and nothing else behind; a streamed
// file is created the same way but takes its name at once, so that its
// lines can be followed as they are written. Either way the file is a fresh one made by this
// process: a symbolic link planted at the name is replaced (refused, for an output that
// replaces only what this system wrote: Claim::Recorded), never followed, so nothing
// outside the folder is ever written through it (unless the writer asks to follow links, as
// a document saved by the name it was opened by does: the file the link leads to is then
// replaced, in its own folder), and a name held by a folder, FIFO, device or socket is
// refused before anything is written.
//
// The first replacing file installs a handler of SIGINT, SIGTERM, SIGHUP, SIGQUIT and
// SIGXCPU that removes the temporaries being written and then lets the signal take the
// action it had before (ending the program by default); every file opened lets the program
// go on past a file-size limit (continueAtFileSizeLimit).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace vornex {

class AtomicFile {
   public:
    enum class Mode { Replace, Stream };
    // Where a write failed: creating the file, writing (flushing, syncing, closing) it, or
    // moving it onto its name.
    enum class Step { None, Create, Write, Replace };

    AtomicFile() = default;
    // An uncommitted file is discarded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // What a link at the name means: replaced by the file; a refusal (for a private file at
    // a fixed name in a shared folder, where a link there is a sign of mischief); or the way
    // to the file to replace (a file the user named, such as a document opened through a
    // link): the links are followed to their end, each relative one from its own folder, and
    // the file there is replaced by one made in that folder. A folder, FIFO or device at the
    // end is refused as at the name; so is a chain of more than 40 links (ELOOP).
    enum class Links { Replace, Refuse, Follow };

    // Who may have put the file at the name that a new one replaces: anyone (a file the user
    // chose to write), or this system only (Recorded: an output at a fixed name in a folder
    // the user keeps files in). A recorded output replaces only a file that the folder's
    // record of outputs (the hidden file ".vornex-outputs") lists at the name as it is now,
    // by its inode, size and modification time, or a scratch file of this process; anything
    // else there (a file of the user's, a file edited since, a symbolic link) is refused, so
    // is every file at the name when the record is missing or is not one this system wrote.
    // The name is checked again as the file takes it, under a lock of the folder that
    // concurrent writers share, and the record then lists the new file.
    enum class Claim { Any, Recorded };

    // Creates the file for `path` with the given permissions (less the umask); a file that
    // replaces one keeps that one's permissions (read and write no wider than `permissions`)
    // and, where this user may give it, its group. Temporaries of `path` left by processes
    // that no longer exist (a save killed part way), and temporaries such a process wrote of
    // its own scratch files of `path`, are removed first. False when the name
    // is held by something that is not a file or link, or the file cannot be made; problem()
    // says why.
    bool open(const std::string& path, Mode mode = Mode::Replace, unsigned permissions = 0666,
              Links links = Links::Replace, Claim claim = Claim::Any);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // A stdio stream over the file, made on first use; null (with the failure recorded) when
    // it cannot be made or the file is not open. Once it exists, write() goes through it.
    std::FILE* stream();
    // False once any write failed; later writes are ignored.
    bool write(const void* data, std::size_t size);

    // Flushes and closes the file (syncing it to the disk first when asked) and gives a
    // replacing file its name. False when any step of the whole write failed; a replacing
    // file is then removed, a streamed one stays as far as it got.
    bool commit(bool sync = false);
    // Closes the file; a replacing one is removed, a streamed one stays as far as it got.
    void discard();

    // The first failure: where, the errno (0 for a refused name) and a description.
    Step failedStep() const { return step_; }
    int error() const { return error_; }
    const std::string& problem() const { return problem_; }
    // Whether the write was refused because the entry at the name is not this system's
    // (Claim::Recorded); problem() then says what is there, to follow the name in a message.
    bool refusedForeign() const { return refusedForeign_; }

   private:
    void fail(Step step, int error, std::string problem = {});
    void flushStream();
    // The ownership check of a recorded output; false (the failure recorded) when refused.
    bool claimName(Step step);

    // The name given, and the name the file takes (the end of its links, when followed).
    std::string path_, target_, tempPath_;
    Mode mode_ = Mode::Replace;
    int fd_ = -1;
    std::FILE* stream_ = nullptr;
    int streamError_ = 0;  // errno of the first write of the stream that failed
    int slot_ = -1;  // entry of the temporary in the interruption cleanup
    Step step_ = Step::None;
    int error_ = 0;
    std::string problem_;
    Claim claim_ = Claim::Any;
    bool refusedForeign_ = false;
};

// A write past the file-size limit (ulimit -f) fails with EFBIG, "File too large", as one on
// a full disk fails, instead of ending the program by SIGXFSZ with its temporaries left
// behind: the signal is caught and let go. A handler the program set, or the signal ignored,
// is left as it is; programs that the process starts get the default action again.
// Console programs call it first thing, so that their reports on standard output fail the
// same way.
void continueAtFileSizeLimit();

// The files this process has written, so that a program can name what a command left in its
// folder: a replacing file counts once it has its name, a streamed one once it is created.
// A mark taken before a command and the paths since it that are still there, each once, in
// the order first written.
std::size_t writtenFileMark();
std::vector<std::string> filesWrittenSince(std::size_t mark);
// One line "Wrote NAME, NAME" for the files written since the mark on `out`; nothing when
// there are none.
// A path removed, as the temporaries are, when the process is ended by a signal before the
// slot is released; -1 when no slot is free (the path is then left on such an end).
int removeOnSignal(const std::string& path);
void releaseRemoveOnSignal(int& slot);
void reportFilesWrittenSince(std::size_t mark, std::FILE* out,
                             const std::vector<std::string>& except = {});

// A name of its own for a scratch file that a program writes (through any writer) and reads
// back: a hidden temporary of `path`, named as the atomic writer names those and created empty
// here, so that no file of anyone else's has the name and no other writer takes it; removed
// with this object, by an interruption as the writer's temporaries are, and (one a killed
// process left, with any temporary a writer of it left) when the file of `path` is next
// written or a scratch file of it is next made.
class ScratchFile {
   public:
    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // False, with the reason in problem(), when no such file can be made.
    bool createFor(const std::string& path);
    // The path (empty until created) and the name without its folder.
    const std::string& path() const { return path_; }
    std::string name() const;
    const std::string& problem() const { return problem_; }
    // Removes the file now (a regular file only: one a writer put at the name).
    void remove();

   private:
    std::string path_, problem_;
    int slot_ = -1;
};

// An output at a fixed name, such as a diagnostic file or plot a developer asks for, which
// replaces only what this system wrote there (AtomicFile::Claim::Recorded): `file` opened for
// `path` and its stream; null, with the reason on standard error, when the file cannot be
// written (a file of the user's at the name, one edited since, or a link there is left as it
// was).
std::FILE* openOutput(AtomicFile& file, const std::string& path,
                      AtomicFile::Mode mode = AtomicFile::Mode::Replace,
                      unsigned permissions = 0666);
// Commits an output opened so; false, with the reason on standard error, when it failed.
bool commitOutput(AtomicFile& file);
// Why an output was not written: "NAME is there and was not written by this program: move
// or remove it to write it" for a name not this system's, otherwise "Cannot write NAME: why"
// (opening) or "Writing NAME failed: why" (at commit).
std::string outputFailure(const AtomicFile& file, bool atCommit);

// Whether the file at `path` is one this system wrote there as it is now: listed so in the
// record of outputs of its folder, or a scratch file of this process.
bool isRecordedOutput(const std::string& path);

// Puts an output set aside (a second link to it at `keptPath`) back at `path` while nothing
// stands there, never over a file put there meanwhile; a file that was a recorded output when
// set aside is listed so again, since the output tried at its name in between took its place
// in the record. False when the name is taken or the rename fails.
bool restoreSetAsideOutput(const std::string& keptPath, const std::string& path, bool recorded);

// Why a file cannot be written at `path`: "is a folder", "is a FIFO", "is a device" or "is a
// socket" when the name is held by one of those, "is a symbolic link" for a link when links
// are refused; empty when the name is free or held by a file (or a link to be replaced).
std::string refusedOutputEntry(const std::string& path,
                               AtomicFile::Links links = AtomicFile::Links::Replace);

}  // namespace vornex

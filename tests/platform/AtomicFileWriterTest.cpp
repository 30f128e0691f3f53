// The document and picture writer: a link planted at the target is replaced and what it
// points to is left alone; a folder or FIFO at the target cannot be replaced, is reported by
// name, and leaves no temporary behind; a replaced file keeps its permissions and group; the
// temporaries of a killed save go with the next write of the same name; a document saved
// through a link replaces the file the link leads to.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "numerics/AtomicFile.h"
#include "platform/AtomicFileWriter.h"
#include "platform/KeyedArchiver.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

bool holdsHiddenFile() {
    for (const auto& e : fs::directory_iterator("."))
        if (e.path().filename().string()[0] == '.') return true;
    return false;
}

TEST(AtomicFileWriter, PlantedLinkIsReplacedAndSpecialTargetsRefused) {
    fs::create_directory("outside");
    std::ofstream("outside/prefs.plist") << "kept\n";
    fs::create_symlink("outside/prefs.plist", "prefs.plist");
    ASSERT_TRUE(writeFileAtomically("prefs.plist", std::string("new\n")).ok());
    Bytes kept, written;
    ASSERT_TRUE(readFileBytes("outside/prefs.plist", kept).ok());
    ASSERT_TRUE(readFileBytes("prefs.plist", written).ok());
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "kept\n");
    EXPECT_EQ(std::string(written.begin(), written.end()), "new\n");
    EXPECT_FALSE(fs::is_symlink("prefs.plist"));

    fs::create_directory("doc.wyvra");
    ASSERT_EQ(::mkfifo("pipe.itx", 0600), 0);
    for (const char* name : {"doc.wyvra", "pipe.itx"}) {
        AtomicFileWriter writer(name);
        EXPECT_FALSE(writer.write(std::string("x")));
        const IoResult r = writer.commit();
        EXPECT_EQ(r.status, IoStatus::WriteFailed) << name;
        EXPECT_NE(r.message.find(std::string("cannot replace '") + name + "': is a"),
                  std::string::npos)
            << r.message;
    }
    EXPECT_TRUE(fs::is_directory("doc.wyvra"));
    EXPECT_TRUE(fs::is_fifo("pipe.itx"));
    EXPECT_FALSE(holdsHiddenFile());
    // A file without a name (a save panel given nothing): refused, nothing written.
    const IoResult unnamed = writeFileAtomically("", std::string("x"));
    EXPECT_EQ(unnamed.status, IoStatus::OpenFailed);
    EXPECT_EQ(unnamed.message, "cannot write a file without a name");
    EXPECT_FALSE(holdsHiddenFile());
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(AtomicFileWriter, ReplacedFileKeepsItsPermissionsAndGroupANewOneGetsTheDefault) {
    fs::create_directory("modes");
    const mode_t mask = ::umask(022);
    for (mode_t mode : {0600, 0640, 0444, 0755, 0664}) {
        const std::string path = "modes/doc" + std::to_string(mode);
        ASSERT_TRUE(writeFileAtomically(path, std::string("old")).ok());
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(writeFileAtomically(path, std::string("new")).ok()) << mode;
        EXPECT_EQ(modeOf(path), mode) << std::oct << mode;
    }
    // A new file gets the default, and so does a link that is replaced.
    ASSERT_TRUE(writeFileAtomically("modes/fresh", std::string("x")).ok());
    EXPECT_EQ(modeOf("modes/fresh"), 0644u);
    ASSERT_EQ(::chmod("modes/doc384", 0600), 0);  // 0600
    fs::create_symlink("doc384", "modes/link");
    ASSERT_TRUE(writeFileAtomically("modes/link", std::string("x")).ok());
    EXPECT_EQ(modeOf("modes/link"), 0644u);
    // A writer asking for a private file never gets a wider one from the old file.
    AtomicFile printout;
    ASSERT_TRUE(printout.open("modes/doc436", AtomicFile::Mode::Replace, 0600));  // was 0664
    ASSERT_TRUE(printout.commit());
    EXPECT_EQ(modeOf("modes/doc436"), 0600u);
    ::umask(mask);
    // The group, where this user may give it (any group, for the superuser).
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown("modes/doc416", 0, 4242), 0);
        ASSERT_TRUE(writeFileAtomically("modes/doc416", std::string("new")).ok());
        struct stat st {};
        ASSERT_EQ(::stat("modes/doc416", &st), 0);
        EXPECT_EQ(st.st_gid, 4242u);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
    }
}

// Hidden entries of a folder.
std::vector<std::string> hiddenIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string()[0] == '.') names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFileWriter, TemporariesOfAKilledSaveGoWithTheNextWriteOfTheName) {
    fs::create_directory("killed");
    // A save killed while it writes: its temporary stays, full of what it wrote.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t saver = ::fork();
    if (saver == 0) {
        AtomicFileWriter writer("killed/doc.wyvra");
        writer.write(std::string(1 << 20, 'x'));
        (void)::write(ready[1], "w", 1);
        for (;;) ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(saver, SIGKILL);
    ::waitpid(saver, nullptr, 0);
    const std::vector<std::string> dead = hiddenIn("killed");
    ASSERT_EQ(dead.size(), 1u);
    EXPECT_EQ(dead[0].rfind(".doc.wyvra." + std::to_string(saver) + ".", 0), 0u) << dead[0];
    EXPECT_EQ(fs::file_size("killed/" + dead[0]), 1u << 20);
    // A process still running: its temporary may be a save under way.
    const pid_t alive = ::fork();
    if (alive == 0) {
        for (;;) ::pause();
    }
    const std::string running = ".doc.wyvra." + std::to_string(alive) + ".3.tmp";
    const std::string otherName = ".other.wyvra." + std::to_string(saver) + ".1.tmp";
    const std::string notOurs = ".doc.wyvra." + std::to_string(saver) + ".tmp";
    for (const std::string& name : {running, otherName, notOurs})
        std::ofstream("killed/" + name) << "t";

    ASSERT_TRUE(writeFileAtomically("killed/doc.wyvra", std::string("saved")).ok());
    std::vector<std::string> left = {running, notOurs, otherName};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(hiddenIn("killed"), left);
    ::kill(alive, SIGKILL);
    ::waitpid(alive, nullptr, 0);
    // Once that process is gone, its temporary goes too; other names are never touched.
    ASSERT_TRUE(writeFileAtomically("killed/doc.wyvra", std::string("again")).ok());
    left = {notOurs, otherName};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(hiddenIn("killed"), left);
    ::close(ready[0]);
    ::close(ready[1]);
}

// Regression: a document saved by the name it was opened by, a link, replaced the link with
// a file of its own and left the file it led to as it was. The file the links lead to is
// replaced in its own folder (keeping its permissions), and every link stays a link; at the
// end of the links a folder or FIFO is refused as at the name, a missing folder cannot be
// written, and a loop of links is said.
TEST(AtomicFileWriter, ADocumentSavedThroughALinkReplacesTheFileItLeadsTo) {
    fs::create_directories("shared");
    fs::create_directories("sub");
    auto caseNamed = [](const char* name) {
        PlistValue c = PlistValue::dictionary();
        c.set("name", name);
        return c;
    };
    const PlistValue one = PlistValue::array({caseNamed("Run 1")});
    PlistValue two = one;
    two.append(caseNamed("Run 2"));
    ASSERT_TRUE(KeyedArchiver::archiveToFile("shared/target.wyvra", one, "list").ok());
    ASSERT_EQ(::chmod("shared/target.wyvra", 0640), 0);
    fs::create_symlink("shared/target.wyvra", "link.wyvra");
    fs::create_symlink("../link.wyvra", "sub/chain.wyvra");  // a link to the link
    auto casesIn = [](const std::string& path) {
        IoResult r;
        const PlistValue v = KeyedUnarchiver::unarchivedValueFromFile(path, "list", &r);
        EXPECT_TRUE(r.ok()) << r.message;
        return v.size();
    };
    for (const char* name : {"link.wyvra", "sub/chain.wyvra"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(KeyedArchiver::archiveToFile("shared/target.wyvra", one, "list").ok());
        const IoResult saved = KeyedArchiver::archiveToFile(name, two, "list");
        ASSERT_TRUE(saved.ok()) << saved.message;
        EXPECT_TRUE(fs::is_symlink(name));
        EXPECT_TRUE(fs::is_symlink("link.wyvra"));
        EXPECT_EQ(casesIn("shared/target.wyvra"), 2u);
        EXPECT_EQ(modeOf("shared/target.wyvra"), 0640u);
    }
    // A link to a name not yet taken makes the file there.
    fs::create_symlink("shared/new.wyvra", "new.wyvra");
    ASSERT_TRUE(KeyedArchiver::archiveToFile("new.wyvra", one, "list").ok());
    EXPECT_TRUE(fs::is_symlink("new.wyvra"));
    EXPECT_EQ(casesIn("shared/new.wyvra"), 1u);

    ASSERT_EQ(::mkfifo("shared/pipe", 0600), 0);
    fs::create_symlink("shared/pipe", "pipe.wyvra");
    fs::create_symlink("shared", "folder.wyvra");
    fs::create_symlink("gone/x.wyvra", "gone.wyvra");
    fs::create_symlink("loop-b.wyvra", "loop-a.wyvra");
    fs::create_symlink("loop-a.wyvra", "loop-b.wyvra");
    const struct {
        const char* name;
        IoStatus status;
        std::string said;
    } refusals[] = {
        {"pipe.wyvra", IoStatus::WriteFailed,
         "cannot replace 'pipe.wyvra': is a FIFO (the link leads to 'shared/pipe')"},
        {"folder.wyvra", IoStatus::WriteFailed,
         "cannot replace 'folder.wyvra': is a folder (the link leads to 'shared')"},
        {"gone.wyvra", IoStatus::OpenFailed,
         "cannot create 'gone.wyvra': " + std::string(std::strerror(ENOENT)) +
             " (the link leads to 'gone/x.wyvra')"},
        {"loop-a.wyvra", IoStatus::OpenFailed,
         "cannot create 'loop-a.wyvra': " + std::string(std::strerror(ELOOP)) +
             " (following its links)"},
    };
    for (const auto& r : refusals) {
        const IoResult saved = KeyedArchiver::archiveToFile(r.name, two, "list");
        EXPECT_EQ(saved.status, r.status) << r.name;
        EXPECT_NE(saved.message.find(r.said), std::string::npos) << saved.message;
        EXPECT_TRUE(fs::is_symlink(r.name)) << r.name;
    }
    EXPECT_TRUE(fs::is_fifo("shared/pipe"));
    EXPECT_FALSE(fs::exists("gone"));
    EXPECT_TRUE(hiddenIn(".").empty());
    EXPECT_TRUE(hiddenIn("shared").empty());
}

}  // namespace
}  // namespace vornex

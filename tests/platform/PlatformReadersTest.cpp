// Documents and preferences read from what is not a regular file: a FIFO, a folder, a link to
// /dev/zero, a dangling link or a file above the limit of its kind is refused at once, naming
// the path and what it is; preferences then keep their built-in values.
#include <gtest/gtest.h>

#include <string>

#include "platform/KeyedArchiver.h"
#include "platform/UserDefaults.h"
#include "support/HostileFiles.h"

namespace vornex {
namespace {

using testing::hostileCases;
using testing::makeHostile;
using testing::runBounded;

std::string outcome(const IoResult& r) {
    return std::to_string(int(r.status)) + " " + r.message;
}

TEST(PlatformReaders, SpecialFilesAreRefusedAtEveryReader) {
    struct Reader {
        const char* name;
        std::size_t limit;
        std::string (*read)(const std::string& path);
    };
    const Reader readers[] = {
        {"readFileBytes", kDocumentFileLimit,
         [](const std::string& path) {
             Bytes bytes{1, 2, 3};
             const IoResult r = readFileBytes(path, bytes);
             return outcome(r) + (bytes.empty() ? "" : " (bytes left)");
         }},
        {"document", kDocumentFileLimit,
         [](const std::string& path) { return outcome(KeyedUnarchiver::fromFile(path).result()); }},
        {"document value", kDocumentFileLimit,
         [](const std::string& path) {
             IoResult r;
             KeyedUnarchiver::unarchivedValueFromFile(path, "root", &r);
             return outcome(r);
         }},
        {"preferences", kPreferencesFileLimit,
         [](const std::string& path) {
             UserDefaults d(path);
             const IoResult r = d.load();
             return outcome(r);
         }},
    };
    for (const Reader& reader : readers)
        for (const auto& c : hostileCases()) {
            SCOPED_TRACE(std::string(reader.name) + ", " + c.name);
            const std::string path = std::string("hostile-") + reader.name;
            makeHostile(c.kind, path, reader.limit + 1);
            const auto run = runBounded(10, [&] { return reader.read(path); });
            ASSERT_TRUE(run.finished) << "the read hung or ran out of memory";
            EXPECT_EQ(run.said.rfind(std::to_string(int(IoStatus::ReadFailed)) + " ", 0), 0u)
                << run.said;
            EXPECT_NE(run.said.find(path), std::string::npos) << run.said;
            EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
            EXPECT_EQ(run.said.find("(bytes left)"), std::string::npos);
        }
}

}  // namespace
}  // namespace vornex

// Large and damaged documents: a document of 100,000 cases opens within the memory a file of
// its size may take, and saved with too little memory left fails with a message, the file
// there kept; seeded mutants of real documents (a new one, one of a few cases with text of
// every kind, its XML form, one of some hundred cases, and forms holding invalid UTF-8 and
// sixteen-byte integers), each opened in a child process under a time limit and, outside the
// sanitizer build, a memory limit, never crash, abort or hang, never take memory beyond a
// small multiple of their size, and, once open, save, and open again as they were; one opened
// through a link saves into the file the link leads to.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
#include "support/HostileFiles.h"
#include "support/Mutants.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex {
namespace {

constexpr const char* kPlaceholder = "ABCDEFGHIJKLMNOP";

std::vector<Bytes> realDocuments() {
    auto document = HeadlessWorkbench::newDocument();
    std::vector<Bytes> seeds = {document->dataOfType()};
    const PlistValue first = document->cases().at(0);
    PlistValue few = PlistValue::array(), many = PlistValue::array();
    const char* names[] = {"Run 1", "Halit\xC3\xA9 \xF0\x9F\x92\xA7 30 %", "$null"};
    for (int i = 0; i < 3; ++i) {
        PlistValue c = first;
        c.set("name", names[i]);
        c.set("comment", i == 1 ? "" : "brine \xE2\x88\x92 vapour");
        c.set("Tm", 300.0 + i);
        few.append(std::move(c));
    }
    for (int i = 0; i < 300; ++i) {
        PlistValue c = first;
        c.set("name", "Run " + std::to_string(i));
        c.set("Pm", 88.0 + 0.5 * i);
        many.append(std::move(c));
    }
    const Bytes binary = KeyedArchiver::archivedData(few, "list");
    std::string error;
    seeds.push_back(binary);
    seeds.push_back(PlistNode::parse(binary, error).toXml());
    seeds.push_back(KeyedArchiver::archivedData(many, "list"));
    return seeds;
}

TEST(DocumentFiles, DocumentOfAHundredThousandCasesOpensWithinItsBudget) {
    // The sanitizer and the coverage builds, some five times slower, open a fifth of them.
#ifdef VORNEX_COVERAGE_BUILD
    const int n = 20000;
#else
    const int n = testing::kSanitizerBuild ? 20000 : 100000;
#endif
    const auto run = testing::runBounded(
        240,
        [n] {
            auto made = HeadlessWorkbench::newDocument();
            const PlistValue first = made->cases().at(0);
            Bytes bytes;
            {
                PlistValue list = PlistValue::array();
                list.mutableItems()->reserve(n);
                for (int i = 0; i < n; ++i) {
                    PlistValue c = first;
                    c.set("name", "Run " + std::to_string(i));
                    c.set("Tm", 300.0 + 1e-3 * i);
                    list.append(std::move(c));
                }
                bytes = KeyedArchiver::archivedData(list, "list");
            }
            std::ofstream("large.wyvra", std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            MyDocument document;
            const IoResult r = document.readFromFile("large.wyvra");
            const PlistValue& last = document.cases().at(std::size_t(n - 1));
            return (r.ok() ? "opened " : r.message + " ") + std::to_string(document.caseCount()) +
                   " " + last.get("name").toString() + " of " + std::to_string(bytes.size());
        },
        std::size_t{4} << 30);
    ASSERT_TRUE(run.finished) << "signal " << run.signal << ": " << run.said;
    EXPECT_EQ(run.said.rfind("opened " + std::to_string(n) + " Run " + std::to_string(n - 1), 0),
              0u)
        << run.said;
}

// A case given a comment of a megabyte and duplicated 99 times once could not be saved (the
// comment, stored once, would expand past the memory its reader allows a file of 1.1 MB):
// what the window builds is saved, and opens as it was.
TEST(DocumentFiles, ACaseWithALongCommentDuplicatedAHundredTimesSavesAndOpens) {
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench ui(*document);
    ASSERT_TRUE(ui.editCell(0, "comment", PlistValue(std::string(1 << 20, 'c'))));
    for (int i = 0; i < 99; ++i) ASSERT_TRUE(ui.press("mDuplicateButton")) << i;
    ASSERT_EQ(document->caseCount(), 100);
    const IoResult saved = document->saveToFile("long-comments.wyvra");
    ASSERT_TRUE(saved.ok()) << saved.message;
    MyDocument opened;
    const IoResult read = opened.readFromFile("long-comments.wyvra");
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_TRUE(opened.cases() == document->cases());
    std::remove("long-comments.wyvra");
}

// Regression: a document opened through a link, given a case and saved, replaced the link
// with a file of two cases and left the file it led to with one. The save goes to the file
// the link leads to, which keeps its permissions; the link stays.
TEST(DocumentFiles, ADocumentOpenedThroughALinkIsSavedIntoTheFileItLeadsTo) {
    std::filesystem::create_directories("shared");
    ASSERT_TRUE(HeadlessWorkbench::newDocument()->saveToFile("shared/target.wyvra").ok());
    ASSERT_EQ(::chmod("shared/target.wyvra", 0640), 0);
    std::filesystem::create_symlink("shared/target.wyvra", "link.wyvra");
    IoResult opened;
    auto document = HeadlessWorkbench::openDocument("link.wyvra", &opened);
    ASSERT_TRUE(document) << opened.message;
    ASSERT_TRUE(HeadlessWorkbench(*document).press("mAddButton"));
    ASSERT_EQ(document->caseCount(), 2);
    const IoResult saved = document->saveToFile(document->fileName());
    ASSERT_TRUE(saved.ok()) << saved.message;
    EXPECT_EQ(document->fileName(), "link.wyvra");
    EXPECT_TRUE(std::filesystem::is_symlink("link.wyvra"));
    auto target = HeadlessWorkbench::openDocument("shared/target.wyvra");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->caseCount(), 2);
    struct stat st {};
    ASSERT_EQ(::stat("shared/target.wyvra", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Holds this process to `headroom` bytes of address space beyond what it has now.
void leaveHeadroom(long long headroom) {
    rlimit now{};
    ::getrlimit(RLIMIT_AS, &now);
    const rlimit tight{rlim_t(testing::statusBytes("VmSize") + headroom), now.rlim_max};
    ::setrlimit(RLIMIT_AS, &tight);
}

TEST(DocumentFiles, ASaveThatRunsOutOfMemoryFailsWithAMessageAndKeepsTheFile) {
    if (testing::kSanitizerBuild)
        GTEST_SKIP() << "the sanitizer's shadow memory leaves no address-space limit to hit";
    // A document of 100,000 cases (20,000 in the slower coverage build), written in a child
    // so that the children that open and save it start small.
#ifdef VORNEX_COVERAGE_BUILD
    const int n = 20000;
#else
    const int n = 100000;
#endif
    const auto made = testing::runBounded(
        240,
        [n] {
            auto document = HeadlessWorkbench::newDocument();
            PlistValue list = PlistValue::array();
            for (int i = 0; i < n; ++i) {
                PlistValue c = document->cases().at(0);
                c.set("name", "Run " + std::to_string(i));
                c.set("Tm", 300.0 + 1e-3 * i);
                list.append(std::move(c));
            }
            return KeyedArchiver::archiveToFile("pressure-large.wyvra", list, "list").message;
        },
        std::size_t{4} << 30);
    ASSERT_TRUE(made.finished && made.said.empty()) << made.said;
    const Bytes earlier = KeyedArchiver::archivedData(PlistValue::array(), "list");
    // Opened, then saved over an earlier file with `share` of the memory the open document
    // holds left (or 16 MB when share is 0).
    auto saveWithin = [&earlier](double share) {
        return testing::runBounded(
            240,
            [&earlier, share] {
                if (!writeFileAtomically("pressure.wyvra", earlier).ok()) return std::string("?");
                const long long before = testing::statusBytes("VmSize");
                MyDocument document;
                const IoResult opened = document.readFromFile("pressure-large.wyvra");
                if (!opened.ok()) return "not opened: " + opened.message;
                const long long held = testing::statusBytes("VmSize") - before;
                leaveHeadroom(share > 0 ? static_cast<long long>(share * double(held)) : 16 << 20);
                const IoResult saved = document.saveToFile("pressure.wyvra");
                Bytes now;
                readFileBytes("pressure.wyvra", now);
                return (saved.ok() ? std::string("saved") : saved.message) +
                       (now == earlier ? " | earlier file kept" : " | replaced") + " | " +
                       std::to_string(held >> 20) + " MB held";
            },
            std::size_t{4} << 30);
    };
    // Too little memory to encode: a failed save, the earlier file as it was, and the
    // document still there.
    const auto starved = saveWithin(0);
    ASSERT_TRUE(starved.finished) << "signal " << starved.signal << ": " << starved.said;
    EXPECT_NE(starved.said.find("not enough memory"), std::string::npos) << starved.said;
    EXPECT_NE(starved.said.find("earlier file kept"), std::string::npos) << starved.said;
    // Less memory than a copy of the document would take: saved.
    const auto enough = saveWithin(0.75);
    ASSERT_TRUE(enough.finished) << "signal " << enough.signal << ": " << enough.said;
    EXPECT_EQ(enough.said.rfind("saved | replaced", 0), 0u) << enough.said;
    std::printf("100,000 cases: %s; %s\n", starved.said.c_str(), enough.said.c_str());
    const auto reopened = testing::runBounded(
        240,
        [] {
            MyDocument document;
            const IoResult r = document.readFromFile("pressure.wyvra");
            return r.ok() ? std::to_string(document.caseCount()) : r.message;
        },
        std::size_t{4} << 30);
    EXPECT_EQ(reopened.said, std::to_string(n));
    std::remove("pressure.wyvra");
    std::remove("pressure-large.wyvra");
}

// Real documents with what their readers must refuse let in: in the XML form, text that is
// not UTF-8 (in a name, and in a key the user cannot edit), references to no character and
// integers beyond 64 bits; in the binary form, sixteen-byte integers. Only the integers a
// 64-bit signed value holds open. Each with whether it opens.
std::vector<std::pair<Bytes, bool>> hostileDocuments() {
    auto document = HeadlessWorkbench::newDocument();
    PlistValue c = document->cases().at(0);
    c.set("name", "Run 1");
    c.set("note", kPlaceholder);
    const Bytes binary = KeyedArchiver::archivedData(PlistValue::array({c}), "list");
    std::string error;
    const Bytes xml = PlistNode::parse(binary, error).toXml();
    std::vector<std::pair<Bytes, bool>> out;
    for (const char* bad : {"caf\xe9", "\xc0\x80", "\xed\xa0\x80", "&#xD800;", "&#1;"})
        out.emplace_back(testing::withText(xml, "Run 1", bad), false);
    out.emplace_back(testing::withText(xml, "<string>Tm</string>", "<string>ThLi\xf1</string>"),
                     false);
    // Integers of the XML form beyond 64 bits, or beyond what a signed value holds.
    const std::string placeholder = std::string("<string>") + kPlaceholder + "</string>";
    for (const auto& [integer, opens] :
         {std::pair{"18446744073709551621", false}, std::pair{"9223372036854775808", false},
          std::pair{"-9223372036854775808", true}})
        out.emplace_back(
            testing::withText(xml, placeholder, std::string("<integer>") + integer + "</integer>"),
            opens);
    const std::uint64_t all = ~std::uint64_t{0}, sign = std::uint64_t{1} << 63;
    for (const auto& [high, low, opens] :
         {std::tuple{std::uint64_t{0}, std::uint64_t{5}, true}, std::tuple{all, all, true},
          std::tuple{std::uint64_t{1}, std::uint64_t{5}, false},
          std::tuple{std::uint64_t{0}, sign, false}, std::tuple{all, sign - 1, false}})
        out.emplace_back(testing::withSixteenByteInteger(binary, kPlaceholder, high, low), opens);
    return out;
}

TEST(DocumentFuzz, MutantsOfRealDocumentsOpenOrAreRefusedWithinTimeAndMemory) {
    std::vector<Bytes> seeds = realDocuments();
    std::vector<std::pair<Bytes, bool>> unmutated;
    for (const Bytes& seed : seeds) unmutated.emplace_back(seed, true);
    std::size_t hostileCount = 0;
    for (auto& hostile : hostileDocuments()) {
        ++hostileCount;
        seeds.push_back(hostile.first);
        unmutated.push_back(std::move(hostile));
    }
    MyDocument document;  // made once; each child reads into its own copy
    testing::Mutator mutant(20261207);
    int opened = 0, refused = 0;
    long long worst = 0;
    for (int trial = 0; trial < 1000; ++trial) {
        // Every seed once as it is; then mutants, every other one of a real document.
        const std::size_t real = seeds.size() - hostileCount;
        const Bytes& seed = trial < int(seeds.size()) ? seeds[trial]
                            : trial % 2 == 0          ? seeds[(trial / 2) % real]
                                                      : seeds[trial % seeds.size()];
        const Bytes b = trial < int(seeds.size()) ? seed : mutant(seed);
        {
            std::ofstream out("fuzz.wyvra", std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
        }
        // The memory limit leaves room for the test program itself. What opens is saved.
        const auto run = testing::runBounded(
            10,
            [&document] {
                const IoResult r = document.readFromFile("fuzz.wyvra");
                if (!r.ok()) return r.message;
                const IoResult saved = document.saveToFile("fuzz-saved.wyvra");
                return saved.ok() ? "opened " + std::to_string(document.caseCount())
                                  : "opened, but not saved: " + saved.message;
            },
            std::size_t{768} << 20);
        ASSERT_TRUE(run.finished) << trial << ": ended by signal " << run.signal << " (size "
                                  << b.size() << ")";
        EXPECT_EQ(run.said.find("not saved"), std::string::npos) << trial << ": " << run.said;
        const bool opens = run.said.rfind("opened ", 0) == 0;
        (opens ? opened : refused) += 1;
        if (trial < int(seeds.size())) {
            EXPECT_EQ(opens, unmutated[trial].second) << trial << ": " << run.said;
        }
        if (opens) {
            // What was saved opens as it was: archived again, the same bytes.
            Bytes saved;
            ASSERT_TRUE(readFileBytes("fuzz-saved.wyvra", saved).ok());
            IoResult back;
            const PlistValue list = KeyedUnarchiver::unarchivedValue(saved, "list", &back);
            EXPECT_TRUE(back.ok()) << trial << ": " << back.message;
            EXPECT_EQ(KeyedArchiver::archivedData(list, "list"), saved) << trial;
        }
        EXPECT_FALSE(run.said.empty()) << trial;
        // Decoded values within their budget; the process's own bookkeeping besides.
        const long long allowed = static_cast<long long>(PlistNode::expansionBudget(b.size())) +
                                  (testing::kSanitizerBuild ? (64 << 20) : (8 << 20));
        EXPECT_LE(run.grewBy, allowed) << trial << " (size " << b.size() << ")";
        worst = std::max(worst, run.grewBy);
    }
    std::printf("documents: %d opened, %d refused; most memory an open added: %.1f MB\n", opened,
                refused, worst / 1e6);
    EXPECT_GT(opened, 25);
    EXPECT_GT(refused, 400);
}

}  // namespace
}  // namespace vornex

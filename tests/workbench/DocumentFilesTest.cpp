// Large and damaged documents: a document of 100,000 cases opens within the memory a file of
// its size may take; seeded mutants of real documents (a new one, one of a few cases with text
// of every kind, its XML form, one of some hundred cases), each opened in a child process
// under a time limit and, outside the sanitizer build, a memory limit, never crash, abort or
// hang, and never take memory beyond a small multiple of their size.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
#include "support/HostileFiles.h"
#include "support/Mutants.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex {
namespace {

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
    // The sanitizer build, some five times slower and larger, opens a fifth of them.
    const int n = testing::kSanitizerBuild ? 20000 : 100000;
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

TEST(DocumentFuzz, MutantsOfRealDocumentsOpenOrAreRefusedWithinTimeAndMemory) {
    const std::vector<Bytes> seeds = realDocuments();
    MyDocument document;  // made once; each child reads into its own copy
    testing::Mutator mutant(20261207);
    int opened = 0, refused = 0;
    long long worst = 0;
    for (int trial = 0; trial < 1000; ++trial) {
        const Bytes& seed = seeds[trial % seeds.size()];
        const Bytes b = trial < int(seeds.size()) ? seed : mutant(seed);
        {
            std::ofstream out("fuzz.wyvra", std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
        }
        // The memory limit leaves room for the test program itself.
        const auto run = testing::runBounded(
            10,
            [&document] {
                const IoResult r = document.readFromFile("fuzz.wyvra");
                return r.ok() ? "opened " + std::to_string(document.caseCount()) : r.message;
            },
            std::size_t{768} << 20);
        ASSERT_TRUE(run.finished) << trial << ": ended by signal " << run.signal << " (size "
                                  << b.size() << ")";
        (run.said.rfind("opened ", 0) == 0 ? opened : refused) += 1;
        if (trial < int(seeds.size())) {
            EXPECT_EQ(run.said.rfind("opened ", 0), 0u) << run.said;
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

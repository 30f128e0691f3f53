// The tables of starting states as the two-phase lookups read them: a table that is a FIFO, a
// folder, a device, a dangling link or too large is said on standard error and the lookup
// fails at once, changing nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "anderko/Anderko.h"
#include "numerics/FileReader.h"
#include "numerics/TextCapture.h"
#include "support/HostileFiles.h"

namespace vornex {
namespace {

using testing::hostileCases;
using testing::makeHostile;
using testing::runBounded;

TEST(AnderkoReaders, StartingStateTableThatIsNoRegularFileFailsAtOnce) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "initH2ONaCl", kTableFileLimit + 1);
        makeHostile(c.kind, "states/LL_H2ONaClCH4", kTableFileLimit + 1);
        const auto run = runBounded(20, [] {
            Anderko m(2);
            m.setSystemCode(10);
            m.Vl = 1.0;
            bool found = true;
            const std::string said = test::stderrOf([&] {
                found = m.initializeBubblePoint2Checked(650.0, 0.05) ||
                        m.initializeDewPoint2(650.0, 1e-5, 0) ||
                        m.initializeFromFile("states/LL_H2ONaClCH4", 650.0, 0.05, 0.01);
            });
            return std::string(found || m.Vl != 1.0 ? "used" : "failed") + ": " + said;
        });
        ASSERT_TRUE(run.finished) << "the lookup hung or ran out of memory";
        EXPECT_EQ(run.said.rfind("failed: ", 0), 0u) << run.said;
        EXPECT_NE(run.said.find("Cannot read the table of starting states \"initH2ONaCl\""),
                  std::string::npos)
            << run.said;
        EXPECT_NE(run.said.find("states/LL_H2ONaClCH4"), std::string::npos) << run.said;
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
}

}  // namespace
}  // namespace vornex

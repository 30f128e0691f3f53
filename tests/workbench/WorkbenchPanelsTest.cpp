// The tab panels against the model and against each other: an inclusion solved from Th and Tm
// shown alike on both sides of the inclusion panel, the boiling column, and what the message
// line keeps.
#include <cmath>

#include "WorkbenchTestSupport.h"

namespace vornex::test {
namespace {

// Th and Tm within 0.1 K of each other: the inverse gives the inclusion the model solves, and
// the forward side, fed its salinity and bubble, shows that same inclusion, whatever the
// panel showed before.
TEST_F(WorkbenchTest, InclusionWithThAtTmIsOneInclusionOnBothSides) {
    doc->selectTabViewItemAtIndex(2);
    const char* const shown[] = {"mNaClfi_edit", "mRhofi_edit", "mBubblefi_edit", "mPhfi_edit",
                                 "mPmfi_edit",   "mTm_edit",    "mTh_edit",       "mInclusionRho",
                                 "mVolumeTm_edit"};
    auto measure = [&](double Th, double Tm) {
        ui->type("mTmfi_edit", Tm);
        ui->type("mThfi_edit", Th);
    };
    const std::pair<double, double> before[] = {{250, 200}, {400, 400}, {320, 150}};
    const std::pair<double, double> together[] = {{99.95, 100}, {250.05, 250}, {400, 400}};
    for (auto [Th, Tm] : together) {
        std::vector<std::string> first;
        for (auto [Th0, Tm0] : before) {
            measure(Th0, Tm0);
            measure(Th, Tm);
            ASSERT_TRUE(form()["mRhofi_edit"].holdsNumber()) << Th << ' ' << Tm;
            for (const char* n : {"mPhfi_edit", "mBubblefi_edit"})
                EXPECT_TRUE(form()[n].holdsNumber()) << n << ' ' << Th;
            // The forward side homogenises the same inclusion at Tm (or just above it).
            EXPECT_NEAR(form().value("mInclusionRho"), form().value("mRhofi_edit"),
                        1e-4 * form().value("mRhofi_edit"))
                << Th << " after " << Th0;
            EXPECT_NEAR(form().value("mTm_edit"), Tm, 0.01) << Th;
            EXPECT_NEAR(form().value("mTh_edit"), std::max(Th, Tm), 0.06) << Th;
            std::vector<std::string> now;
            for (const char* n : shown) now.push_back(form().text(n));
            if (first.empty())
                first = now;
            else
                EXPECT_EQ(now, first) << Th << " after " << Th0 << '/' << Tm0;
        }
    }
    measure(99.95, 100);
    EXPECT_NEAR(form().value("mNaClfi_edit"), 27.8329, 1e-4);
    EXPECT_NEAR(form().value("mRhofi_edit"), 1168.03, 0.01);
    EXPECT_NEAR(form().value("mPhfi_edit"), 0.983, 1e-3);
}

}  // namespace
}  // namespace vornex::test

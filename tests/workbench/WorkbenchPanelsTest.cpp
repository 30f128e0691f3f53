// The tab panels against the model and against each other: an inclusion solved from Th and Tm
// shown alike on both sides of the inclusion panel, the boiling column, and what the message
// line keeps.
#include <cmath>

#include "WorkbenchTestSupport.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"

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


// A click that selects a marker or a curve (to read it, restyle it or open its settings) leaves
// the state where it was; a click beside them moves it.
TEST_F(WorkbenchTest, ClickOnAnObjectLeavesTheState) {
    CPlotView& pt = plot("mPTViewp");
    std::vector<std::pair<std::string, DataPoint>> targets;
    for (const auto& o : pt.graphObjects()) {
        if (auto* p = dynamic_cast<const CGraphPoint*>(o.get()))
            targets.push_back({p->name(), {p->getX(), p->getY()}});
        else if (auto* c = dynamic_cast<const CGraphCurve*>(o.get()); c && c->pointCount() > 2) {
            const CurvePoint m = c->getPointAtIndex(c->pointCount() / 2);
            if (m.x > 0 && m.x < 1000 && m.y > 0 && m.y < 1000)
                targets.push_back({c->name(), {m.x, m.y}});
        }
    }
    ASSERT_GE(targets.size(), 3u);
    for (const auto& [name, at] : targets) {
        const PlistValue before = caseAt(0);
        ASSERT_TRUE(ui->clickPlot("mPTViewp", at.x, at.y));
        if (!pt.selectionIsClickable()) continue;  // a field drawn over it took the click
        EXPECT_EQ(caseAt(0), before) << name << ' ' << at.x << ' ' << at.y;
        EXPECT_EQ(doc->mTm, key(0, "Tm")) << name;
    }
    ASSERT_TRUE(ui->clickPlot("mPTViewp", 600, 100));
    ASSERT_FALSE(pt.selectionIsClickable());
    EXPECT_NEAR(key(0, "Tm"), 600, 0.5);
    EXPECT_NEAR(key(0, "Pm"), 100, 0.5);
}

}  // namespace
}  // namespace vornex::test

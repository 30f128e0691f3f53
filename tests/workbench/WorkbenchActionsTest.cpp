// The document's actions sent by name, as a control or a menu item sends them: a state field's
// value alone, the cycle that recomputes from it, and the commands that show a tab, a curve, the
// log or the experimental-data panel.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "WorkbenchTestSupport.h"
#include "platform/PlatformLog.h"

namespace vornex {
namespace {

using test::WorkbenchTest;

// "updateControl:" takes the field's value into the state, its partners and the case and
// recomputes nothing; "onUpdateViews:" then evaluates the state; "onChangeFluidParameter:" is
// the two together.
TEST_F(WorkbenchTest, FieldValueAloneThenTheCycleThatRecomputesIt) {
    const double psat300 = form().value("mPsat");
    ASSERT_TRUE(form()["mPsat"].holdsNumber());
    Control& T = doc->form()["mHaliteTm"];
    T.setString("350");
    ASSERT_TRUE(doc->performAction("updateControl:", &T));
    EXPECT_EQ(doc->mTm, 350);
    EXPECT_EQ(form().value("mStepHaliteTm"), 350);
    EXPECT_EQ(key(0, "Tm"), 350);
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_EQ(form().value("mPsat"), psat300) << "nothing recomputed yet";
    ASSERT_TRUE(doc->performAction("onUpdateViews:"));
    // A brine boils at a higher pressure at 350 degC than at 300 degC.
    const double psat350 = form().value("mPsat");
    EXPECT_GT(psat350, 1.3 * psat300);
    T.setString("300");
    ASSERT_TRUE(doc->performAction("onChangeFluidParameter:", &T));
    EXPECT_EQ(doc->mTm, 300);
    EXPECT_EQ(key(0, "Tm"), 300);
    EXPECT_DOUBLE_EQ(form().value("mPsat"), psat300);
    // A refused text sends nothing: the state stays.
    T.setString("-300");
    EXPECT_TRUE(doc->performAction("updateControl:", &T));
    EXPECT_EQ(doc->mTm, 300);
    EXPECT_EQ(form().value("mHaliteTm"), 300);
    EXPECT_FALSE(doc->performAction("noSuchAction:"));
}

MenuItem::State itemTick(MyDocument& doc, const char* action) {
    doc.documentMenu().update();
    return doc.documentMenu().itemWithAction(action)->state();
}

TEST_F(WorkbenchTest, TogglesHideAndShowTheirCurvesAndTickTheirItems) {
    // The first four hide base curves; the others, drawings of the state.
    const struct {
        const char* action;
        bool MyDocument::*flag;
        bool baseCurve;
    } toggles[] = {{"onToggleShowH2OSat:", &MyDocument::mShowH2OSat, true},
                   {"onToggleShowNaClSat:", &MyDocument::mShowNaClSat, true},
                   {"onToggleShowHLV:", &MyDocument::mShowHLV, true},
                   {"onToggleShowCritical:", &MyDocument::mShowCritical, true},
                   {"onToggleShowHL:", &MyDocument::mShowHL, false},
                   {"onToggleShowHV:", &MyDocument::mShowHV, false},
                   {"onToggleShowLG:", &MyDocument::mShowLG, false}};
    auto baseCurves = [&] {
        return lasting("mPTViewp") + lasting("mRhoTViewp") + lasting("mTxViewp") +
               lasting("mPxViewp");
    };
    for (const auto& t : toggles) {
        SCOPED_TRACE(t.action);
        const std::size_t shown = baseCurves();
        ASSERT_TRUE(doc->performAction(t.action));
        EXPECT_FALSE((*doc).*t.flag);
        EXPECT_EQ(itemTick(*doc, t.action), MenuItem::State::Off);
        if (t.baseCurve)
            EXPECT_LT(baseCurves(), shown);
        else
            EXPECT_EQ(baseCurves(), shown);
        ASSERT_TRUE(doc->performAction(t.action));
        EXPECT_TRUE((*doc).*t.flag);
        EXPECT_EQ(itemTick(*doc, t.action), MenuItem::State::On);
        EXPECT_EQ(baseCurves(), shown);
    }
    // A refresh draws the base curves the flags ask for, and only those.
    const std::size_t all = lasting("mPTViewp");
    doc->mShowH2OSat = false;
    ASSERT_TRUE(doc->performAction("onRefreshViews:"));
    EXPECT_LT(lasting("mPTViewp"), all);
    doc->mShowH2OSat = true;
    ASSERT_TRUE(doc->performAction("onRefreshViews:"));
    EXPECT_EQ(lasting("mPTViewp"), all);
}

// A toggle leaves every plot as a refresh and a cycle of the same state would: the V-x plot
// loses its halite + liquid + vapour curves and gets them back once (it kept them and added
// copies: 5 objects, then 8, 45 after 10 toggles), the state drawings come back at once (they
// were gone until the next edit), and nothing is logged for a curve that is not shown (each
// cycle logged "no curve"; each boiling calculation a line "tboil2 ...").
TEST_F(WorkbenchTest, TogglesRedrawTheStateAndLeaveNoCopiesOrLogLines) {
    std::vector<std::string> logged;
    const LogSink previous = setLogSink([&](const std::string& m) { logged.push_back(m); });
    const std::size_t vx = plot("mVxViewp").graphObjects().size(), vxLasting = lasting("mVxViewp");
    const int ptState = countNamedPrefix("mPTViewp", "t_");
    ASSERT_GT(ptState, 0);
    ASSERT_TRUE(doc->performAction("onToggleShowHLV:"));
    EXPECT_LT(lasting("mVxViewp"), vxLasting);
    EXPECT_GT(countNamedPrefix("mPTViewp", "t_"), 0);
    ui->type("mHaliteTm", 310);
    ui->type("mHaliteTm", 300);
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(doc->performAction("onToggleShowHLV:"));
    EXPECT_FALSE(doc->mShowHLV);
    ASSERT_TRUE(doc->performAction("onToggleShowHLV:"));
    EXPECT_EQ(plot("mVxViewp").graphObjects().size(), vx);
    EXPECT_EQ(countNamedPrefix("mPTViewp", "t_"), ptState);
    ASSERT_TRUE(doc->performAction("onToggleShowCritical:"));
    EXPECT_GT(countNamedPrefix("mPTViewp", "t_"), 0);
    ASSERT_TRUE(doc->performAction("onToggleShowCritical:"));
    EXPECT_EQ(countNamedPrefix("mPTViewp", "t_"), ptState);
    doc->tabView().selected = 0;
    for (int i = 0; i < static_cast<int>(doc->tabView().identifiers.size()); ++i)
        if (doc->tabView().identifiers[static_cast<std::size_t>(i)] == "boiling")
            doc->selectTabViewItemAtIndex(i);
    setLogSink(previous);
    for (const std::string& line : logged) {
        EXPECT_EQ(line.find("no curve"), std::string::npos) << line;
        EXPECT_EQ(line.find("tboil2"), std::string::npos) << line;
    }
}

TEST_F(WorkbenchTest, CommandsBringTheirTabLogOrPanelForward) {
    const struct {
        const char* action;
        const char* tab;
    } tabs[] = {{"onGoToIsochore_panel:", "isochore"},
                {"onGoToRho_panel:", "rho"},
                {"onGoToIce_panel:", "ice"},
                {"onGoToInclusions_panel:", "halite"},
                {"onGoToPTX_panel:", "ptx"}};
    for (const auto& t : tabs) {
        ASSERT_TRUE(doc->performAction(t.action)) << t.action;
        EXPECT_EQ(doc->tabView().selectedIdentifier(), t.tab) << t.action;
    }
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    log.orderOut();
    ASSERT_TRUE(doc->performAction("onShowLog:"));
    EXPECT_TRUE(log.isVisible());
    ASSERT_TRUE(form()["mExpPanel"].hidden);
    ASSERT_TRUE(doc->performAction("onShowExperimentalPanel:"));
    EXPECT_FALSE(form()["mExpPanel"].hidden);
}

// The inclusion panel: a bubble volume that no longer holds a share (the field emptied) leaves
// no results of the stages that need it, only the salinity's own halite-dissolution values.
TEST_F(WorkbenchTest, InclusionWithoutABubbleVolumeShowsOnlyTheDissolutionOfItsSalt) {
    ASSERT_TRUE(doc->performAction("onGoToInclusions_panel:"));
    ASSERT_TRUE(form()["mTh_edit"].holdsNumber());
    ASSERT_TRUE(form()["mTm_edit"].holdsNumber());
    doc->form()["mVolumeTm_edit"].clear();
    ASSERT_TRUE(doc->performAction("onCalculateInclusionProperties:"));
    for (const char* later :
         {"mTm_edit", "mInclusionRho", "mPm_edit", "mTh_edit", "mPh_edit", "mTm3_edit", "mPh3_edit",
          "mInclusionRho3", "mPm3_edit", "mTh3_edit", "mxl3_edit"})
        EXPECT_FALSE(form()[later].holdsNumber()) << later;
    ASSERT_TRUE(form()["mTm0_edit"].holdsNumber());
    // The halite liquidus of Sterner, Hall and Bodnar (1988), wt % at psi = T/100 (degC),
    // gives the 30 wt % of the state back at that temperature.
    const double psi = 0.01 * form().value("mTm0_edit");
    const double c[] = {26.242, 0.4928, 1.42, -0.223, 0.04129, 0.006295, -0.001967, 0.0001112};
    double w = 0;
    for (int k = 7; k >= 0; --k) w = w * psi + c[k];
    EXPECT_NEAR(w, doc->mXm, 0.1);
    EXPECT_EQ(form().value("mTh0_edit"), form().value("mTm0_edit"));
    // The blank results say why.
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("bubble volume is not a share"),
              std::string::npos)
        << form().text(MyDocument::kStatusLine);
}

}  // namespace
}  // namespace vornex

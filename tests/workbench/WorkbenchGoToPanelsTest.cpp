// The halite and ice go-to commands: each brings its tab to the front, recomputes that panel
// from what its fields hold now, and ticks its menu item.
#include <gtest/gtest.h>

#include <cmath>

#include "WorkbenchTestSupport.h"

namespace vornex {
namespace {

using test::WorkbenchTest;

MenuItem::State tick(MyDocument& doc, const char* title) {
    doc.documentMenu().update();
    return doc.documentMenu().itemWithTitle(title)->state();
}

TEST_F(WorkbenchTest, GoToHaliteRecomputesTheInclusionAndMarksItsPlot) {
    ASSERT_EQ(doc->tabView().selectedIdentifier(), "ptx");
    EXPECT_FALSE(form()["mTh_edit"].holdsNumber());  // not computed while its tab is hidden
    doc->onGoToInclusions_panel();
    EXPECT_EQ(doc->tabView().selectedIdentifier(), "halite");
    EXPECT_EQ(tick(*doc, "Halite"), MenuItem::State::On);
    EXPECT_EQ(tick(*doc, "P-T-X properties"), MenuItem::State::Off);
    ASSERT_TRUE(form()["mTh_edit"].holdsNumber());
    EXPECT_GT(form().value("mTh_edit"), form().value("mTm_edit"));
    EXPECT_NE(plot("mRhoTxViewp").getGraphObjectWithName("t_rtxline1"), nullptr);
    EXPECT_EQ(plot("mRhoTxViewp").selectedPointX(), static_cast<float>(doc->mTm));
    EXPECT_EQ(plot("mRhoTxViewp").selectedPointY(), static_cast<float>(doc->mRm));
    // A larger bubble at the same salinity homogenises later; going to the tab again (here
    // from the menu) takes the field as it stands.
    const double Th = form().value("mTh_edit");
    doc->form().setDouble("mVolumeTm_edit", form().value("mVolumeTm_edit") + 5);
    ASSERT_TRUE(ui->perform("onGoToInclusions_panel:"));
    EXPECT_GT(form().value("mTh_edit"), Th);
}

TEST_F(WorkbenchTest, GoToIceSolvesTheFieldsAsTheyStand) {
    doc->onGoToIsochore_panel();
    for (double T : {-10.0, -4.0}) {
        doc->form().setDouble("mIceT", T);
        if (T == -10.0)
            doc->onGoToIce_panel();
        else
            ASSERT_TRUE(ui->perform("onGoToIce_panel:"));
        EXPECT_EQ(doc->tabView().selectedIdentifier(), "ice");
        EXPECT_EQ(tick(*doc, "Ice"), MenuItem::State::On);
        EXPECT_EQ(tick(*doc, "Isochore"), MenuItem::State::Off);
        // The salinity found melts the ice at T with the field's share of NaCl.
        ASSERT_TRUE(form()["mIceSalinity"].holdsNumber()) << T;
        const double w = form().value("mIceSalinity"), r = 0.01 * form().value("mIceRatio");
        double melting = NAN;
        doc->model()->calculateFreezingTemperature(0.01 * w, r, melting);
        EXPECT_NEAR(melting, T, 1e-6);
        EXPECT_NEAR(form().value("mIceNaCl") + form().value("mIceKCl"), w, 1e-9);
        ASSERT_EQ(doc->ternaryView().points().size(), 1u);  // one point: the panel ran once
        EXPECT_NE(plot("mIceViewp").getGraphObjectWithName("t_icePoint"), nullptr);
    }
}

}  // namespace
}  // namespace vornex

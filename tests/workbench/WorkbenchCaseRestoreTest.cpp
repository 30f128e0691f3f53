// What the window shows after a case is selected, reopened, deleted or given new initial
// conditions: every result shown belongs to the inputs shown beside it.
#include <cmath>

#include "WorkbenchTestSupport.h"
#include "plot/CAxisRangeWindow.h"
#include "plot/CGraphPoint.h"
#include "plot/PanelServices.h"

namespace vornex::test {
namespace {

const char* const kStatus = MyDocument::kStatusLine;

// Regression: selecting a row put the case's measured Th and Tm into the inclusion panel beside
// the salinity, density and pressures of the inclusion typed last.
TEST_F(WorkbenchTest, InclusionPanelShowsTheSelectedCasesInclusion) {
    // Typed on another tab: the panel follows, as a person reaches its fields through the tab.
    ASSERT_TRUE(ui->type("mTmfi_edit", 150));
    EXPECT_EQ(doc->tabView().selectedIdentifier(), "halite");
    ASSERT_TRUE(ui->type("mThfi_edit", 300));
    ASSERT_TRUE(form()["mNaClfi_edit"].holdsNumber());
    const double x0 = form().value("mNaClfi_edit"), rho0 = form().value("mRhofi_edit");
    EXPECT_NEAR(x0, 29.58, 0.01);
    EXPECT_NEAR(rho0, 1025.576, 0.01);
    // The forward calculation of the inclusion found gives back its Th and Tm.
    EXPECT_NEAR(form().value("mTm_edit"), 150, 0.01);
    EXPECT_NEAR(form().value("mTh_edit"), 300, 0.01);
    ui->press("mAddButton");
    ui->type("mThfi_edit", 250);
    ui->type("mTmfi_edit", 200);
    const double x1 = form().value("mNaClfi_edit"), rho1 = form().value("mRhofi_edit");
    EXPECT_NEAR(x1, 31.97, 0.01);
    EXPECT_NEAR(rho1, 1078.45, 0.01);

    for (int row : {0, 1, 0}) {
        ASSERT_TRUE(ui->selectRow(row));
        const double x = row == 0 ? x0 : x1, rho = row == 0 ? rho0 : rho1;
        EXPECT_EQ(form().value("mThfi_edit"), row == 0 ? 300 : 250) << row;
        EXPECT_NEAR(form().value("mNaClfi_edit"), x, 1e-6) << row;
        EXPECT_NEAR(form().value("mRhofi_edit"), rho, 1e-6) << row;
        EXPECT_NEAR(form().value("mInclusionNaCl"), x, 1e-6) << row;
        EXPECT_NEAR(form().value("mTm_edit"), row == 0 ? 150 : 200, 0.01) << row;
        EXPECT_NEAR(form().value("mTh_edit"), row == 0 ? 300 : 250, 0.01) << row;
        EXPECT_NEAR(form().value("mInclusionRho"), rho, 0.01) << row;
    }
    // A pair with no inclusion blanks the results on selection and says why.
    ASSERT_TRUE(doc->tableViewSetObjectValue(doc->listView(), PlistValue(100.0), "ThLiq", 1));
    ASSERT_TRUE(ui->selectRow(1));
    EXPECT_EQ(form().text("mNaClfi_edit"), "");
    EXPECT_EQ(form().text("mRhofi_edit"), "");
    EXPECT_EQ(form().text(kStatus).rfind("No inclusion has this Th and Tm", 0), 0u)
        << form().text(kStatus);
}

// Regression: the ice panel showed 1.25518e-25 wt % at 0 degC, and said nothing below the
// eutectic, where the model's curve is a metastable extension.
TEST_F(WorkbenchTest, IcePanelAtZeroAndBelowTheEutectic) {
    ASSERT_TRUE(ui->type("mIceT", 0));
    EXPECT_EQ(doc->tabView().selectedIdentifier(), "ice");
    EXPECT_EQ(form().value("mIceSalinity"), 0);
    EXPECT_EQ(form().value("mIceNaCl"), 0);
    EXPECT_EQ(form().text(kStatus), "");
    ui->type("mIceT", -30);
    EXPECT_NEAR(form().value("mIceSalinity"), 28.17, 0.01);
    EXPECT_EQ(form().text(kStatus).rfind("Below the eutectic of this salt (-21.2", 0), 0u)
        << form().text(kStatus);
    EXPECT_NE(form().text(kStatus).find("metastable"), std::string::npos);
    ui->type("mIceT", -20);
    EXPECT_EQ(form().text(kStatus), "");
    ui->type("mIceRatio", 0);  // all KCl: its eutectic is at -10.7 degC
    EXPECT_EQ(form().text(kStatus).rfind("Below the eutectic", 0), 0u) << form().text(kStatus);
    ui->type("mIceT", -5);
    EXPECT_EQ(form().text(kStatus), "");
}

// Regression: with the last case deleted, typed T and P stood beside the deleted case's
// phases, density and saturation title, and Add brought the deleted state back.
TEST_F(WorkbenchTest, WithNoCaseTheStateIsComputedOrTheInputRefused) {
    ui->type("mHaliteXm", 0);
    ui->type("mHaliteTm", 25);
    ui->type("mHalitePm", 1);
    ASSERT_NEAR(doc->mRm, 997.05, 0.01);
    ASSERT_TRUE(ui->press("mDeleteButton"));
    ASSERT_EQ(doc->caseCount(), 0);
    EXPECT_EQ(plot("mPTViewp").getGraphObjectWithName("t_pt0"), nullptr);
    EXPECT_EQ(form().text("mName"), "");
    EXPECT_EQ(form().text("mT0"), "");
    ASSERT_TRUE(ui->type("mHaliteTm", 600));
    ASSERT_TRUE(ui->type("mHalitePm", 300));
    doc->selectTabViewItemAtIndex(1);
    EXPECT_EQ(form().text("mPhaseAssoc"), "fluid");
    // Steam tables: 0.011446 m3/kg at 30 MPa and 600 degC.
    EXPECT_NEAR(form().value("mRm_edit"), 87.37, 0.05);
    EXPECT_TRUE(form()["mBoxSat"].hidden);
    EXPECT_NE(form().text(kStatus).find("no case"), std::string::npos) << form().text(kStatus);
    // What needs a case is refused with a message; nothing appears taken.
    for (const char* field : {"mT0", "mName"}) {
        ASSERT_TRUE(ui->type(field, "400"));
        EXPECT_EQ(form().text(field), "") << field;
        EXPECT_NE(form().text(kStatus).find("no case"), std::string::npos) << form().text(kStatus);
    }
    EXPECT_FALSE(form()["mSetInitialButton"].enabled);
    ASSERT_TRUE(ui->press("mAddButton"));
    ASSERT_EQ(doc->caseCount(), 1);
    EXPECT_EQ(key(0, "Tm"), 600);
    EXPECT_EQ(key(0, "Pm"), 300);
    EXPECT_EQ(key(0, "T0"), 600);
    EXPECT_NEAR(key(0, "Rm"), form().value("mRm_edit"), 1e-9);
    EXPECT_EQ(form().value("mT0"), 600);
    EXPECT_TRUE(form()["mSetInitialButton"].enabled);
}

// Regression: Set initial stored the initial conditions but left the markers where they were.
TEST_F(WorkbenchTest, SetInitialMovesTheInitialPointMarkersAtOnce) {
    ui->type("mHaliteTm", 500);
    ui->type("mHalitePm", 400);
    ui->type("mHaliteXm", 10);
    ASSERT_TRUE(ui->press("mSetInitialButton"));
    const struct {
        const char* plot;
        const char* name;
        double x, y;
    } markers[] = {{"mPTViewp", "t_pt0", 500, 400},
                   {"mIsochoreViewp", "t_pt0", 500, 400},
                   {"mPxViewp", "t_px0", 10, 400},
                   {"mTxViewp", "t_tx0", 500, 10}};
    for (const auto& m : markers) {
        int count = 0;
        for (const auto& o : plot(m.plot).graphObjects()) {
            if (o->name() != m.name) continue;
            ++count;
            const auto* p = dynamic_cast<const CGraphPoint*>(o.get());
            ASSERT_NE(p, nullptr);
            EXPECT_FLOAT_EQ(p->getX(), m.x) << m.plot;
            EXPECT_FLOAT_EQ(p->getY(), m.y) << m.plot;
        }
        EXPECT_EQ(count, 1) << m.plot;
    }
}

// Regression: non-numeric text in a numeric cell was refused without a word, and the inclusion
// panel's salinity kept the value of the case shown before.
TEST_F(WorkbenchTest, CaseTableRefusalsSayWhyAndTheInclusionSalinityFollowsTheCase) {
    TableView& list = doc->listView();
    const struct {
        const char* column;
        PlistValue value;
        const char* says;
    } cells[] = {{"ptminx", PlistValue("abc"), "\"abc\" is not a finite number"},
                 {"Rm", PlistValue(""), "\"\" is not a finite number"},
                 {"icxmaxy", PlistValue("1e999"), "\"1e999\" is not a finite number"},
                 {"Tm", PlistValue("abc"), "Temperature T (°C): \"abc\" is not a number"},
                 {"ptlogx", PlistValue("abc"), "is no flag"}};
    const PlistValue before = caseAt(0);
    for (const auto& c : cells) {
        EXPECT_FALSE(doc->tableViewSetObjectValue(list, c.value, c.column, 0)) << c.column;
        const std::string status = form().text(kStatus);
        EXPECT_NE(status.find(c.says), std::string::npos) << status;
        EXPECT_NE(status.find("The case keeps"), std::string::npos) << status;
    }
    EXPECT_EQ(caseAt(0), before);

    ui->type("mHaliteXm", 47.2);
    ui->press("mAddButton");
    ui->type("mHaliteXm", 30);
    ui->selectRow(0);
    EXPECT_EQ(form().value("mInclusionNaCl"), 47.2);
    EXPECT_EQ(form().value("mStepInclusionNaCl"), 47.2);
    ASSERT_TRUE(doc->saveToFile("inclusion-salinity.wyvra").ok());
    auto copy = HeadlessWorkbench::openDocument("inclusion-salinity.wyvra");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->form().value("mInclusionNaCl"), 47.2);
    // Regression: the reopened document's ice panel showed its melting temperature with blank
    // salinity, NaCl and KCl results.
    const Form& ice = copy->form();
    ASSERT_TRUE(ice["mIceT"].holdsNumber());
    double w = NAN;
    doc->model()->calculateIceMeltingSalinity(ice.value("mIceT"), 0.01 * ice.value("mIceRatio"), w);
    EXPECT_NEAR(ice.value("mIceSalinity"), 100 * w, 1e-9);
    EXPECT_NEAR(ice.value("mIceNaCl") + ice.value("mIceKCl"), 100 * w, 1e-9);
    EXPECT_GT(w, 0.1);
}

// Regression: a state on the halite + liquid + vapour pressure showed liquid-gas after typing
// its salinity, and halite-liquid-gas with a halite share of 1.1e-14 % after its row was
// selected again or its file reopened.
TEST_F(WorkbenchTest, AStateShowsTheSamePhasesWhicheverWayItIsReached) {
    const double T = 500.5154, X = 28.3484;
    double P = 0, xL = 0, xV = 0, rL = 0, rV = 0;
    doc->model()->calculateSLVPoint(T, P, xL, xV, rL, rV);
    ASSERT_NEAR(P, 311.0837, 1e-3);
    ui->type("mHaliteTm", T);
    ui->type("mHaliteXm", X);
    // Exactly the model's pressure, as a fixed-density step or Get liquid puts it (typed text
    // keeps 15 digits).
    Control& pressure = doc->form()["mHalitePm"];
    pressure.setDouble(P);
    ASSERT_TRUE(doc->performAction(pressure.action, &pressure));
    ASSERT_EQ(doc->mPm, P);
    const char* const shown[] = {"mPhaseAssoc", "mRm_edit",          "mXliq",
                                 "mXgas",       "mRl_lv_edit",       "mRg_lv_edit",
                                 "mWtPercentH", "mWtPercentL",       "mWtPercentG",
                                 "mLiquidVolumeFrac", "mGasVolumeFrac", "mHaliteVolumeFrac"};
    std::vector<std::string> typed;
    for (const char* n : shown) typed.push_back(form().text(n));
    auto expectShown = [&](const MyDocument& d, const char* how) {
        for (std::size_t i = 0; i < std::size(shown); ++i) {
            EXPECT_EQ(d.form().text(shown[i]), typed[i]) << how << ' ' << shown[i];
            // A share is none, or one the six digits shown can tell from none.
            const Control& c = d.form()[shown[i]];
            const std::string name = shown[i];
            if (name.find("Percent") != std::string::npos || name.find("Frac") != std::string::npos) {
                EXPECT_TRUE(!c.holdsNumber() || c.value == 0 || std::fabs(c.value) >= 1e-7)
                    << how << ' ' << name << ' ' << c.text;
            }
        }
    };
    expectShown(*doc, "typed");
    ui->press("mAddButton");
    ui->selectRow(0);
    expectShown(*doc, "selected");
    ASSERT_TRUE(doc->saveToFile("slv-pressure.wyvra").ok());
    auto copy = HeadlessWorkbench::openDocument("slv-pressure.wyvra");
    ASSERT_TRUE(copy);
    expectShown(*copy, "reopened");
}

}  // namespace
}  // namespace vornex::test

namespace vornex::test {
namespace {

// A density cell is taken only where the density is the state's: on the three-phase pressure,
// where it picks the phases' shares. Regression: 900 kg/m3 typed into the density of a case at
// 300 degC, 1000 bar, 10 wt % (one phase, 948.781 kg/m3) was reported taken and silently became
// 948.781 again, in the shown case and in another.
TEST_F(WorkbenchTest, ADensityCellTheStateCannotKeepIsRefused) {
    ui->type("mHaliteXm", 10);
    ui->type("mHaliteTm", 300);
    ui->type("mHalitePm", 1000);
    ui->press("mAddButton");
    for (int row : {1, 0}) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(ui->editCell(row, "Rm", PlistValue(900.0)));
        EXPECT_NEAR(key(row, "Rm"), 948.781, 1e-3);
        const std::string said = form().text(MyDocument::kStatusLine);
        EXPECT_NE(said.find("column Rm: \"900\" is not taken: at 300 \u00b0C and 1000 bar"),
                  std::string::npos)
            << said;
        EXPECT_NE(said.find("948.781 kg/m\u00b3"), std::string::npos) << said;
    }
    // On the three-phase pressure a density of the three phases is the state's, and stays.
    ui->type("mHaliteXm", 45);
    const double P = doc->stateSnapshot().slvPressure;
    ui->type("mHalitePm", P);
    EXPECT_TRUE(ui->editCell(1, "Rm", PlistValue(500.0)));
    EXPECT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquidVapour);
    EXPECT_NEAR(doc->mRm, 500, 1e-9);
    EXPECT_EQ(form().text(MyDocument::kStatusLine), "");
}

// Regression: with the axis-range panel on screen, selecting another case left the panel
// showing the ranges of the case shown before, and its OK wrote them into the case selected.
TEST_F(WorkbenchTest, AxisRangePanelFollowsTheSelectedCase) {
    PanelServices panels;
    PlotServices::setShared(&panels);
    CAxisRangeWindow& panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    CPlotView& pt = plot("mPTViewp");
    pt.onShowAxisRangePanel();
    pt.doChangeAxisRanges(200, 400, 100, 300);
    ui->press("mAddButton");
    pt.doChangeAxisRanges(150, 650, 50, 450);
    EXPECT_TRUE(ui->selectRow(0));
    EXPECT_EQ(pt.mCurrentMinX(), 200);
    EXPECT_EQ(panel.field(CAxisRangeWindow::kXmin).text, "200");
    EXPECT_EQ(panel.field(CAxisRangeWindow::kYmax).text, "300");
    EXPECT_TRUE(panel.onOKButton()) << panel.message();
    EXPECT_EQ(key(0, "ptminx"), 200);
    EXPECT_EQ(key(0, "ptmaxy"), 300);
    EXPECT_EQ(key(1, "ptminx"), 150);
    // Cancel after a case is selected returns to the ranges of that case, not to those the
    // plot had under the case shown when the panel opened.
    pt.onShowAxisRangePanel();
    EXPECT_TRUE(ui->selectRow(1));
    panel.setFieldText(CAxisRangeWindow::kXmin, "300");
    EXPECT_TRUE(panel.onChangeCoordinates()) << panel.message();
    panel.onCancelButton();
    EXPECT_EQ(pt.mCurrentMinX(), 150);
    EXPECT_EQ(key(1, "ptminx"), 150);
    EXPECT_EQ(key(0, "ptminx"), 200);
    panel.forgetPlotView(&pt);
    PlotServices::setShared(nullptr);
}

}  // namespace
}  // namespace vornex::test

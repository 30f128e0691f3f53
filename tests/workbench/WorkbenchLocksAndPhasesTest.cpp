// What the state keeps and what it takes: Fixed density through every plot click and the
// panels that set the salinity, the Liquid and Vapour buttons on three-phase and saturated
// states, pure water beside its saturation pressure against IAPWS-95, and the reasons of
// blank fields standing together on the message line.
#include <array>
#include <cmath>
#include <string>
#include <tuple>

#include "WorkbenchTestSupport.h"

namespace vornex::test {
namespace {

class LockedDensity : public WorkbenchTest {
   protected:
    // 300 degC, 1000 bar, 10 wt %: one phase, 948.781 kg/m3, fixed.
    void fix() {
        ui->check("mFixDensity", false);
        ui->type("mHaliteXm", 10);
        ui->type("mHaliteTm", 300);
        ui->type("mHalitePm", 1000);
        rho0 = doc->mRm;
        ASSERT_NEAR(rho0, 948.781, 0.001);
        ui->check("mFixDensity", true);
    }
    // The density and salinity are those fixed, in the state, the fields and the case.
    void expectLocked(const std::string& what, bool says = true) {
        SCOPED_TRACE(what);
        EXPECT_NEAR(doc->mRm / rho0, 1, 1e-6);
        EXPECT_EQ(doc->mXm, 10);
        EXPECT_EQ(form().value("mHaliteXm"), 10);
        EXPECT_EQ(form().value("mInclusionNaCl"), 10);
        EXPECT_EQ(key(0, "Xm"), 10);
        EXPECT_EQ(key(0, "Pm"), doc->mPm);
        EXPECT_EQ(form().value("mHalitePm"), doc->mPm);
        EXPECT_EQ(form()["mFixDensity"].state, 1);
        // The pressure is the one that keeps the density at the state's temperature.
        EXPECT_NEAR(doc->model()->pressureForBulkDensity(doc->mTm, doc->mPm, rho0, 0.1) / doc->mPm,
                    1, 1e-6);
        if (says) {
            EXPECT_NE(form().text(MyDocument::kStatusLine).find("The density is fixed at 948.781"),
                      std::string::npos)
                << form().text(MyDocument::kStatusLine);
        }
    }
    double rho0 = 0;
};

// Regression: a T-x click gave 397.19 degC, 3233.3 bar, 20.28 wt %, 1036.61 kg/m3, a P-x click
// 29.58 wt %, a rho-X click 39.61 wt %, with the box still ticked; a T-x click whose
// temperature was refused still moved the salinity.
TEST_F(LockedDensity, PlotClicksTakeOnlyTheirTemperature) {
    struct Click {
        const char* plot;
        double x, y;
        double T;  // the temperature taken, NaN for none
    };
    const Click clicks[] = {
        {"mPTViewp", 450, 300, 450},      {"mIsochoreViewp", 320, 300, 320},
        {"mTxViewp", 400, 20, 400},       {"mRhoTViewp", 280, 500, 280},
        {"mRhoTxViewp", 320, 1200, 320},  {"mPxViewp", 29.58, 300, NAN},
        {"mRhoPViewp", 300, 1039, NAN},   {"mRhoXViewp", 39.61, 1135, NAN},
        {"mVxViewp", 60, 3, NAN},
    };
    for (const Click& c : clicks) {
        fix();
        const double P0 = doc->mPm;
        ASSERT_TRUE(ui->clickPlot(c.plot, c.x, c.y));
        ASSERT_FALSE(plot(c.plot).selectionIsClickable()) << c.plot;
        // The density plots over temperature take nothing else: nothing to say.
        const std::string name = c.plot;
        expectLocked(c.plot, name != "mRhoTViewp" && name != "mRhoTxViewp");
        if (std::isnan(c.T)) {
            EXPECT_EQ(doc->mTm, 300) << c.plot;
            EXPECT_EQ(doc->mPm, P0) << c.plot;
        } else {
            EXPECT_NEAR(doc->mTm, c.T, 1e-3) << c.plot;
        }
    }
    // A temperature beyond the diagram's top pressure at this density is refused, and the
    // click's salinity with it.
    fix();
    ASSERT_TRUE(ui->clickPlot("mTxViewp", 700, 20));
    EXPECT_EQ(doc->mTm, 300);
    expectLocked("refused T-x click");
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("salinity"), std::string::npos);
    // A shift-click sets the case's initial point, which is no state: it stays as it was.
    fix();
    ASSERT_TRUE(ui->clickPlot("mPxViewp", 20, 500, true));
    EXPECT_EQ(key(0, "X0"), 20);
    EXPECT_EQ(doc->mXm, 10);
}

// Regression: Assign gave 13.95 wt % and 980.87 kg/m3, 20 typed in the inclusion panel's NaCl
// 1022.34 kg/m3, and Reset went back to the initial pressure, all with the density fixed.
TEST_F(LockedDensity, PanelsAndResetKeepTheSalinity) {
    fix();
    ui->type("mIceT", -10);
    ASSERT_TRUE(form()["mIceSalinity"].holdsNumber());
    ASSERT_NE(form().value("mIceSalinity"), 10);
    ui->press("mIceAssignButton");
    expectLocked("Assign");
    ui->type("mInclusionNaCl", 20);
    expectLocked("inclusion NaCl");
    EXPECT_EQ(form().value("mStepInclusionNaCl"), 10);
    ui->type("mHaliteTm", 350);
    ui->press("mResetButton");
    expectLocked("Reset");
    EXPECT_EQ(doc->mTm, 300);
    // Unticked, the same actions take the salinity.
    ui->check("mFixDensity", false);
    ui->type("mInclusionNaCl", 20);
    EXPECT_EQ(doc->mXm, 20);
}

// Regression: after Fixed density was unticked the message line still said "The density is
// fixed at 948.781 kg/m3: the ice's salinity of 10.8215 wt % is not assigned to the state",
// also once Assign had given the state that salinity.
TEST_F(LockedDensity, UntickingTheLockTakesBackWhatItRefused) {
    fix();
    ui->type("mIceT", -7);
    ui->press("mIceAssignButton");
    ASSERT_NE(form().text(MyDocument::kStatusLine).find("is not assigned"), std::string::npos);
    ui->check("mFixDensity", false);
    EXPECT_EQ(form().text(MyDocument::kStatusLine).find("The density is fixed"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
    ui->press("mIceAssignButton");
    EXPECT_EQ(doc->mXm, form().value("mIceSalinity"));
    EXPECT_EQ(form().text(MyDocument::kStatusLine).find("is not assigned"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
}

// Regression: a table edit of the shown case's P or X changed the density without a word
// (948.781 -> 913.72 kg/m3) and one of its Tm left the pressure where it was.
TEST_F(LockedDensity, TableEditsOfTheShownCaseKeepTheDensity) {
    fix();
    EXPECT_FALSE(ui->editCell(0, "Pm", PlistValue(1200.0)));
    expectLocked("table P");
    EXPECT_EQ(doc->mPm, 1000);
    EXPECT_FALSE(ui->editCell(0, "Xm", PlistValue("20")));
    expectLocked("table X");
    EXPECT_FALSE(ui->editCell(0, "Rm", PlistValue(900.0)));
    expectLocked("table density");
    // A temperature moves the state along its isochore, as a typed one does.
    EXPECT_TRUE(ui->editCell(0, "Tm", PlistValue(350.0)));
    EXPECT_EQ(doc->mTm, 350);
    EXPECT_EQ(key(0, "Tm"), 350);
    expectLocked("table T", false);
    EXPECT_GT(doc->mPm, 1000);
    // Unticked, the cells are taken.
    ui->check("mFixDensity", false);
    EXPECT_TRUE(ui->editCell(0, "Pm", PlistValue(1200.0)));
    EXPECT_EQ(doc->mPm, 1200);
}


// Regression: selecting, with the lock ticked, a case whose state has no density (6000 bar,
// above the diagram) left the box ticked and the pressure and salinity fields shut, so no
// field could bring the state back, and nothing said why.
TEST_F(LockedDensity, ACaseWithoutDensityTakesTheLockOff) {
    fix();
    ui->press("mAddButton");
    ASSERT_TRUE(ui->editCell(0, "Pm", PlistValue(6000.0)));
    ui->selectRow(0);
    ASSERT_EQ(doc->mPm, 6000);
    ASSERT_LT(doc->mRm, 0);
    EXPECT_EQ(form()["mFixDensity"].state, 0);
    EXPECT_TRUE(form()["mHalitePm"].enabled);
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("Fixed density is off"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
    EXPECT_TRUE(ui->type("mHalitePm", 800));
    EXPECT_EQ(doc->mPm, 800);
    EXPECT_GT(doc->mRm, 0);
}
// Regression: with the three-phase pressure typed (300 degC, 40 wt %; 700 degC, 60 wt %) the
// state showed halite + liquid or halite + vapour, as the density of the state before chose,
// and its density field took no input, though the case table's density cell put the state on
// all three phases.
TEST_F(WorkbenchTest, TheDensityFieldPicksTheSharesOnTheThreePhasePressure) {
    // The densities lie between those of the two pairs that make up the salinity.
    for (auto [T, X, rho] : {std::tuple{300.0, 40.0, 500.0}, {700.0, 60.0, 180.0}}) {
        SCOPED_TRACE(T);
        ui->type("mHaliteXm", X);
        ui->type("mHaliteTm", T);
        ui->type("mHalitePm", 1000);
        ui->type("mHalitePm", doc->stateSnapshot().slvPressure);
        const int side = doc->stateSnapshot().region;
        ASSERT_TRUE(side == PhaseDiagramInfo::kHaliteLiquid ||
                    side == PhaseDiagramInfo::kHaliteVapour)
            << side;
        EXPECT_TRUE(form()["mRm_edit"].editable);
        EXPECT_TRUE(ui->type("mRm_edit", rho));
        EXPECT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquidVapour);
        EXPECT_NEAR(doc->mRm, rho, 1e-9);
        EXPECT_EQ(key(0, "Rm"), doc->mRm);
    }
    // Off that pressure the fields beside it keep their density: nothing to type.
    ui->type("mHalitePm", 1000);
    EXPECT_FALSE(form()["mRm_edit"].editable);
}

// Regression: Liquid and Vapour with Fixed density ticked kept the lock at the phase's density
// without a word.
TEST_F(WorkbenchTest, LiquidAndVapourSayTheLockGoesOn) {
    ui->type("mHaliteXm", 10);
    ui->type("mHaliteTm", 300);
    ui->type("mHalitePm", 80);
    ASSERT_EQ(doc->model()->region, PhaseDiagramInfo::kLiquidVapour);
    ui->check("mFixDensity", true);
    for (const char* button : {"mGetLiquidButton", "mGetVapourButton"}) {
        ui->press(button);
        EXPECT_EQ(form()["mFixDensity"].state, 1) << button;
        const std::string said = form().text(MyDocument::kStatusLine);
        EXPECT_NE(said.find("keeps Fixed density at that phase's density"), std::string::npos)
            << button << ": " << said;
    }
}

// The Liquid and Vapour buttons make a case of that phase, all of it that phase. Regression:
// on the three-phase pressure Liquid kept the mixture's density (300 degC, 60.0404 bar, 40 wt %,
// 550.79 kg/m3 gave 38.5612 wt % still three-phase at 550.79); on water's curve both buttons
// copied the mixture (100 degC, 1.01418 bar, 500 kg/m3).
TEST_F(WorkbenchTest, LiquidAndVapourButtonsGiveThePhase) {
    PalliserModel& model = *doc->model();
    for (double T : {20.0, 100.0, 300.0, 500.0, 600.0, 700.0}) {
        double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0;
        model.calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
        ASSERT_FALSE(model.failed) << T;
        for (bool liquid : {true, false}) {
            SCOPED_TRACE(::testing::Message() << T << " degC, liquid " << liquid);
            ui->selectRow(0);
            ui->type("mHaliteTm", T);
            // A bulk of all three phases, placed by a click in the specific-volume plot (beside
            // the curves drawn there, which a click would select instead).
            for (double l : {0.3, 0.2, 0.4, 0.25}) {
                const double v = 0.6 - l;
                const double rhoBulk =
                    1 / (l / rhoL + v / rhoV + 0.4 / Palliser::kHaliteDensity);
                const double wBulk = 100 * (l * xL + v * xV + 0.4);
                plot("mVxViewp").doChangeAxisRanges(0, 100, 0,
                                                    static_cast<float>(2000 / rhoBulk));
                ui->clickPlot("mVxViewp", wBulk, 1000 / rhoBulk);
                if (!plot("mVxViewp").selectionIsClickable()) break;
            }
            ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquidVapour)
                << doc->mPm << " " << P;
            ASSERT_TRUE(ui->press(liquid ? "mGetLiquidButton" : "mGetVapourButton"));
            EXPECT_NEAR(doc->mXm, 100 * (liquid ? xL : xV), 1e-9);
            // The vapour alone is the model's one-phase vapour of that salinity, within 2 % of
            // the three-phase vapour's density (1.6 % at 100 degC).
            EXPECT_NEAR(doc->mRm / (liquid ? rhoL : rhoV), 1, liquid ? 1e-6 : 0.02);
            EXPECT_EQ(form().value(liquid ? "mWtPercentL" : "mWtPercentG"), 100)
                << form().text("mPhaseAssoc");
        }
    }
    // Water on its curve at 100 degC (IAPWS-95: 958.35 and 0.5976 kg/m3).
    for (bool liquid : {true, false}) {
        ui->selectRow(0);
        ui->type("mHaliteXm", 0);
        ui->type("mHaliteTm", 100);
        ui->type("mHalitePm", 1.01418);
        ui->type("mRm_edit", 500);
        ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kWaterSaturation);
        ASSERT_TRUE(ui->press(liquid ? "mGetLiquidButton" : "mGetVapourButton"));
        EXPECT_NEAR(doc->mRm, liquid ? 958.35 : 0.5976, liquid ? 0.05 : 0.0005);
        EXPECT_EQ(form().value(liquid ? "mWtPercentL" : "mWtPercentG"), 100);
    }
}

// Pure NaCl below its melting point: Liquid makes a case of the halite-saturated liquid of the
// state's temperature and pressure, Vapour one of NaCl's vapour below the sublimation pressure;
// where the state has no such phase the message line says why. Regression: both buttons did
// nothing and said nothing (100 wt %, 700 degC, 500 bar; 800 degC, 0.0005 bar; 750 degC,
// 1e-4 bar), the phases' salinities reading -1.
TEST_F(WorkbenchTest, LiquidAndVapourOfPureNaCl) {
    PalliserModel& model = *doc->model();
    const std::string status = MyDocument::kStatusLine;
    ui->type("mHaliteXm", 100);
    ui->type("mHaliteTm", 700);
    ui->type("mHalitePm", 500);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquid);
    double x = 0, rhoL = 0;
    model.calculateHaliteLiquidPoint(700, 500, x, 1, rhoL);
    ASSERT_EQ(model.failed, 0);
    ASSERT_TRUE(ui->press("mGetLiquidButton"));
    ASSERT_EQ(doc->caseCount(), 2);
    EXPECT_NEAR(doc->mXm, 100 * x, 1e-9);
    EXPECT_NEAR(doc->mRm / rhoL, 1, 1e-9);
    EXPECT_EQ(doc->mPm, 500);
    EXPECT_EQ(form().value("mWtPercentL"), 100) << form().text("mPhaseAssoc");

    // Below the three-phase pressure halite meets no liquid: said, and no case is made.
    ui->selectRow(0);
    ui->type("mHaliteTm", 300);
    ui->type("mHalitePm", 0.0005);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquid);
    ASSERT_TRUE(ui->press("mGetLiquidButton"));
    EXPECT_EQ(doc->caseCount(), 2);
    EXPECT_NE(form().text(status).find("No liquid case is made: at 300 \u00b0C and 0.0005 bar"),
              std::string::npos)
        << form().text(status);
    EXPECT_NE(form().text(status).find("halite + liquid + vapour pressure (60.0404 bar"),
              std::string::npos)
        << form().text(status);

    // At and below the sublimation pressure: NaCl's vapour, an ideal gas.
    constexpr double M = 0.058443, R = 8.314;
    int cases = 2;
    for (auto [T, P] : {std::pair{800.0, 0.0005}, {780.0, 3e-4}, {750.0, 1e-4}}) {
        SCOPED_TRACE(::testing::Message() << T << " degC, " << P << " bar");
        ui->selectRow(0);
        ui->type("mHaliteTm", T);
        ui->type("mHalitePm", P);
        ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteVapour)
            << doc->mTm << " " << doc->mPm << " " << doc->mXm << " " << form().text(status);
        ASSERT_TRUE(ui->press("mGetVapourButton"));
        ASSERT_EQ(doc->caseCount(), ++cases);
        EXPECT_EQ(doc->mXm, 100);
        EXPECT_NEAR(doc->mRm, P * 1e5 * M / (R * (T + 273.15)), 1e-9 * doc->mRm);
        EXPECT_EQ(form().value("mWtPercentG"), 100) << form().text("mPhaseAssoc");
    }
}

// Pure water from half to twice its saturation pressure is vapour below it and liquid above,
// whichever side the state comes from (IAPWS-95 densities). Regression: within 0.01 bar of the
// saturation pressure it was put on the curve, which below about 7 degC is every pressure from
// 0 to twice the saturation pressure (25 degC, 0.0218 bar: 997.0 kg/m3 for 0.01586).
TEST_F(WorkbenchTest, PureWaterBesideItsSaturationPressure) {
    struct Row {
        double T, Psat, vapour[2], liquid[2];  // densities at 0.5, 0.9 and 1.1, 2 x Psat
    };
    const Row rows[] = {
        {1, 0.00657086, {0.002597413, 0.004676504}, {999.851, 999.8513}},
        {5, 0.00872575, {0.003399823, 0.006121497}, {999.9173, 999.9177}},
        {10, 0.012282, {0.004701345, 0.00846553}, {999.6547, 999.6552}},
        {15, 0.0170579, {0.006416855, 0.01155555}, {999.0562, 999.0569}},
        {25, 0.0316993, {0.01152774, 0.02076375}, {997.0035, 997.0048}},
    };
    ui->type("mHaliteXm", 0);
    for (const Row& r : rows) {
        const double factors[] = {0.5, 0.9, 1.1, 2.0};
        for (bool fromLiquid : {true, false}) {
            for (int k = 0; k < 4; ++k) {
                SCOPED_TRACE(::testing::Message() << r.T << " degC, " << factors[k] << " Psat, "
                                                  << (fromLiquid ? "from liquid" : "from vapour"));
                ui->type("mHaliteTm", r.T);
                ui->type("mHalitePm", fromLiquid ? 1.0 : 0.001);
                ui->type("mHalitePm", factors[k] * r.Psat);
                const bool vapour = k < 2;
                const double expected = vapour ? r.vapour[k] : r.liquid[k - 2];
                EXPECT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase)
                    << form().text("mPhaseAssoc");
                EXPECT_NEAR(doc->mRm / expected, 1, vapour ? 2e-3 : 2e-4) << doc->mRm;
            }
        }
    }
}

// Every blank field keeps its reason on screen, whatever another panel or input says after
// it. Regression: the ice panel's note hid why every boiling result was blank, and an input
// taken after a refusal emptied the line while the state's density stayed blank.
TEST_F(WorkbenchTest, BlankFieldsKeepTheirReasonsAcrossPanels) {
    const std::string status = MyDocument::kStatusLine;
    ui->type("mIceT", 5);
    ASSERT_FALSE(form()["mIceSalinity"].holdsNumber());
    ui->type("mBoilH10", 1000);
    ui->type("mBoildTdz1", 5);
    ASSERT_FALSE(form()["mBoilH1"].holdsNumber());
    EXPECT_NE(form().text(status).find("No salinity melts ice at 5"), std::string::npos);
    EXPECT_NE(form().text(status).find("The boiling column:"), std::string::npos)
        << form().text(status);
    // The reverse: the state's reason outlives a refusal and the input taken after it.
    ui->type("mHalitePm", 6000);
    ASSERT_FALSE(form()["mRm_edit"].holdsNumber());
    ui->type("mHaliteTm", "abc");
    EXPECT_EQ(doc->refusedControl(), "mHaliteTm");
    ui->type("mIceRatio", 50);
    EXPECT_NE(form().text(status).find("lies outside the range of the model"), std::string::npos)
        << form().text(status);
    // Each note goes when its field is filled again.
    ui->type("mHalitePm", 1000);
    ui->type("mBoildTdz1", 0.05);
    ui->type("mIceT", -5);
    ASSERT_TRUE(form()["mRm_edit"].holdsNumber());
    ASSERT_TRUE(form()["mBoilH1"].holdsNumber());
    EXPECT_EQ(form().text(status).find("outside the range"), std::string::npos);
    EXPECT_EQ(form().text(status).find("No salinity melts ice"), std::string::npos);
    EXPECT_EQ(form().text(status).find("The boiling column: its"), std::string::npos);
}

}  // namespace
}  // namespace vornex::test

namespace vornex::test {
namespace {

// Regression: locking 169.782 degC, 158.18 bar, 39.5998 wt % (halite + liquid, 1217.059 kg/m3)
// and typing 0.05-0.9 degC gave 1323.79 kg/m3 at 3.86e-7 bar without a word: the SLV state of
// that density has a vapour of no mass, shown as halite + liquid of another density.
TEST_F(WorkbenchTest, ALockedTemperatureWithoutAStateOfTheDensityIsRefused) {
    ui->check("mFixDensity", false);
    ui->type("mHaliteXm", 39.5998);
    ui->type("mHaliteTm", 169.782);
    ui->type("mHalitePm", 158.18);
    const double rho0 = doc->mRm;
    ASSERT_NEAR(rho0, 1217.059, 0.001);
    ui->check("mFixDensity", true);
    for (double T : {0.05, 0.5, 0.9}) {
        ui->type("mHaliteTm", T);
        EXPECT_NEAR(doc->mRm / rho0, 1, 1e-6) << T;
        if (doc->mTm == T) continue;  // taken: the density is the one fixed
        EXPECT_EQ(doc->mTm, 169.782) << T;
        EXPECT_NE(form().text(MyDocument::kStatusLine).find("The density is fixed at 1217.06"),
                  std::string::npos)
            << form().text(MyDocument::kStatusLine);
    }
}

// Regression: "No isochore is drawn: the state has no density" stayed on the message line
// after the state had a density again.
TEST_F(WorkbenchTest, TheIsochoreNoteGoesWithTheStateItSpokeOf) {
    ui->type("mHaliteXm", 10);
    ui->type("mHaliteTm", 400);
    ui->type("mHalitePm", 6000);  // above the diagram: no density
    ui->press("mIsochoreButton");
    ASSERT_NE(form().text(MyDocument::kStatusLine).find("the state has no density"),
              std::string::npos)
        << form().text(MyDocument::kStatusLine);
    ui->type("mHalitePm", 1000);
    ASSERT_GT(doc->mRm, 0);
    EXPECT_EQ(form().text(MyDocument::kStatusLine).find("No isochore"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
}

}  // namespace
}  // namespace vornex::test

namespace vornex::test {
namespace {

// The case Liquid or Vapour makes of a three-phase state is one state: its phases read the same
// when it is made and whenever it is selected again. Regression: at 550 degC the liquid
// (64.17 wt %, 1229.72 kg/m3) read "liquid-gas" and, reselected, "halite-liquid"; at 665 degC
// the vapour read "liquid-gas" and then "fluid", each with the same density. The three-phase
// state's pressure is typed as the curve's, and a shown pressure's rounding below and above it,
// where the liquid alone lies in the halite + vapour field and beside the liquidus.
TEST_F(WorkbenchTest, ThePhaseOfAThreePhaseStateReadsTheSameWhenReselected) {
    PalliserModel& model = *doc->model();
    for (int press = 0; press < 18; ++press) {
        const double T = std::array{550.0, 665.0, 760.0}[press / 6];
        const bool liquid = press % 2 == 0;
        const double off = std::array{0.0, -4e-6, 4e-6}[press / 2 % 3];
        SCOPED_TRACE(::testing::Message() << T << " degC, liquid " << liquid << ", off " << off);
        double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0;
        model.calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
        ASSERT_FALSE(model.failed);
        ui->selectRow(0);
        ui->type("mHaliteXm", 100 * (0.3 * xL + 0.3 * xV + 0.4));
        ui->type("mHaliteTm", T);
        ui->type("mHalitePm", P * (1 + off));
        ui->type("mRm_edit", 1 / (0.3 / rhoL + 0.3 / rhoV + 0.4 / Palliser::kHaliteDensity));
        ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquidVapour);
        ASSERT_TRUE(ui->press(liquid ? "mGetLiquidButton" : "mGetVapourButton"));
        const int row = doc->listView().selectedRow();
        const std::string made = form().text("mPhaseAssoc");
        const double rho = doc->mRm;
        EXPECT_NEAR(rho / (liquid ? rhoL : rhoV), 1, liquid ? 1e-6 : 0.02);
        for (int again = 0; again < 2; ++again) {
            ui->selectRow(0);
            ui->selectRow(row);
            EXPECT_EQ(form().text("mPhaseAssoc"), made);
            EXPECT_EQ(doc->mRm, rho);
        }
    }
}

}  // namespace
}  // namespace vornex::test

namespace vornex::test {
namespace {

// Regression: on a liquid + vapour state every cycle made the density field and stepper
// editable again with Fixed density still ticked, so a stepped density (500 kg/m3) replaced
// the one fixed without a word.
TEST_F(WorkbenchTest, ADensityFixedInATwoPhaseStateStaysLockedThroughEveryCycle) {
    ui->type("mHaliteXm", 10);
    ui->type("mHaliteTm", 300);
    ui->type("mHalitePm", 80);
    ASSERT_EQ(doc->model()->region, PhaseDiagramInfo::kLiquidVapour);
    // Unlocked, the density picks the phases' shares here and is the state's to take.
    EXPECT_TRUE(form()["mStepRm"].enabled);
    ui->check("mFixDensity", true);
    const double rho0 = doc->mRm;
    for (const double T : {300.0, 305.0, 295.0}) {
        ui->type("mHaliteTm", T);
        ASSERT_EQ(doc->model()->region, PhaseDiagramInfo::kLiquidVapour) << T;
        EXPECT_FALSE(form()["mStepRm"].enabled) << T;
        EXPECT_FALSE(form()["mRm_edit"].editable) << T;
        EXPECT_FALSE(ui->step("mStepRm", 500)) << T;
        EXPECT_FALSE(ui->type("mRm_edit", 500)) << T;
        EXPECT_NEAR(doc->mRm / rho0, 1, 1e-6) << T;
    }
    // Unticked, the two-phase state's density is editable again.
    ui->check("mFixDensity", false);
    EXPECT_TRUE(form()["mStepRm"].enabled);
    EXPECT_TRUE(form()["mRm_edit"].editable);
}

}  // namespace
}  // namespace vornex::test

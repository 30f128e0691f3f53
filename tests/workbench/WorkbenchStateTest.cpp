// The new document, the recompute cycle and its result fields, the base curves, the isochore,
// the tabs and menus, and the state report in the log.
#include <cmath>

#include "WorkbenchTestSupport.h"
#include "plot/CGraphText.h"
#include "numerics/TextCapture.h"
#include "plot/ArrayAdditions.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "platform/RecordingCanvas.h"
#include "numerics/Decimal.h"

namespace vornex::test {
namespace {

TEST_F(WorkbenchTest, NewDocumentHoldsOneDefaultCaseInTheFluidRegion) {
    ASSERT_EQ(doc->caseCount(), 1);
    EXPECT_EQ(caseAt(0).get("name").toString(), "New");
    EXPECT_EQ(caseAt(0).entries().size(), 65u);
    for (const std::string& k : MyDocument::caseKeys()) EXPECT_TRUE(caseAt(0).contains(k)) << k;
    EXPECT_FALSE(doc->isDocumentEdited());
    EXPECT_EQ(doc->listView().selectedRow(), 0);
    EXPECT_EQ(key(0, "ptminx"), 100);
    EXPECT_EQ(key(0, "ptmaxx"), 1000);
    // 88 bar lies above water's saturation pressure at 300 degC, 30 wt % below the liquidus.
    EXPECT_NEAR(form().value("mPsat"), 85.9, 0.1);
    EXPECT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
    EXPECT_EQ(form().text("mPhaseAssoc"), "fluid");
    for (const char* blank : {"mXliq", "mXgas", "mRl_lv_edit", "mRg_lv_edit", "mPcrit"})
        EXPECT_EQ(form().text(blank), "") << blank;
    EXPECT_GT(doc->mRm, 0);
    EXPECT_DOUBLE_EQ(key(0, "Rm"), doc->mRm);
    EXPECT_FALSE(form()["mGetLiquidButton"].enabled);
    EXPECT_FALSE(form()["mRm_edit"].editable);
}

TEST_F(WorkbenchTest, BaseArraysAndWaterConstantsFollowTheirSources) {
    const auto& nac = doc->nacProperties;
    const auto& cri = doc->criProperties;
    const std::vector<double> slv = doc->slvProperties;
    ASSERT_EQ(nac.size() % 4, 0u);
    EXPECT_EQ(nac.front(), 800);
    EXPECT_EQ(nac[nac.size() - 4], 3127);
    ASSERT_EQ(cri.size() % 5, 0u);
    EXPECT_EQ(cri[cri.size() - 5], 3127);
    EXPECT_EQ(cri[cri.size() - 3], 100);
    ASSERT_EQ(slv.size() % 8, 0u);
    EXPECT_EQ(slv.front(), 50);
    EXPECT_EQ(slv[slv.size() - 8], 800);
    std::vector<double> sat;
    ASSERT_TRUE(readTabulatedResource("satu0", 28, sat).ok());
    EXPECT_FALSE(doc->tracedSaturation());
    EXPECT_EQ(doc->mTcH2O, sat[3] - 273.15);
    EXPECT_EQ(doc->mPcH2O, sat[0]);
    EXPECT_EQ(doc->mRhoH2O, sat[25]);
    EXPECT_FALSE(doc->changeModel(1));  // no second model exists
    EXPECT_EQ(doc->mModelType, 0);
    // Choosing the model again rebuilds the same curves and keeps cases and state.
    const std::size_t objects = plot("mPTViewp").graphObjects().size();
    ui->type("mHaliteTm", 333);
    ASSERT_TRUE(ui->perform("onSelectPalliserModel:"));
    EXPECT_EQ(doc->slvProperties, slv);
    EXPECT_EQ(plot("mPTViewp").graphObjects().size(), objects);
    EXPECT_EQ(doc->mTm, 333);
    EXPECT_EQ(doc->caseCount(), 1);
    // Plots open on their default ranges, boiling and depth growing downward.
    EXPECT_EQ(plot("mVxViewp").mYTicksDigits(), 2);
    EXPECT_EQ(plot("mPTViewp").mYTicksDigits(), 1);
    EXPECT_GT(plot("mBoilingViewp").mCurrentMinY(), plot("mBoilingViewp").mCurrentMaxY());
    EXPECT_EQ(plot("mIsochoreViewp").mCurrentMaxY(), 700);
}

// A missing or cut table: the saturation curve is traced from the water model instead.
TEST(WorkbenchSaturation, MissingOrTruncatedTableIsTracedInstead) {
    ASSERT_TRUE(writeFileAtomically("satu0-cut", std::string(100, '\1')).ok());
    for (const char* name : {"satu0-absent", "satu0-cut"}) {
        MyDocument::Options options;
        options.saturationResource = name;
        std::unique_ptr<MyDocument> doc;
        stdoutOf([&] { doc = HeadlessWorkbench::newDocument(options); });
        EXPECT_TRUE(doc->tracedSaturation()) << name;
        EXPECT_NEAR(doc->mTcH2O, 373.946, 0.01) << name;
        EXPECT_NEAR(doc->mPcH2O, 220.64, 0.05) << name;
        EXPECT_GT(doc->satProperties.size(), 28u * 100) << name;
        EXPECT_EQ(doc->form().text("mPhaseAssoc"), "fluid") << name;
    }
}

TEST_F(WorkbenchTest, EditMovesStepperStoresCaseAndFollowsTheResetRule) {
    const int temporaries = countNamedPrefix("mPTViewp", "t_");
    const int isochoreTemporaries = countNamedPrefix("mIsochoreViewp", "t_");
    ASSERT_TRUE(ui->type("mHaliteTm", 310));
    EXPECT_EQ(form().value("mStepHaliteTm"), 310);
    EXPECT_EQ(key(0, "Tm"), 310);
    EXPECT_TRUE(form()["mResetButton"].enabled);
    EXPECT_TRUE(doc->isDocumentEdited());
    ui->step("mStepHaliteTm", 300 + 1e-9);  // within 1e-8 of the initial temperature
    EXPECT_FALSE(form()["mResetButton"].enabled);
    for (int i = 0; i < 3; ++i) ui->step("mStepHalitePm", 90 + i);
    EXPECT_EQ(countNamedPrefix("mPTViewp", "t_"), temporaries);
    EXPECT_EQ(countNamedPrefix("mIsochoreViewp", "t_"), isochoreTemporaries);
    ui->type("mHaliteXm", 20);
    EXPECT_DOUBLE_EQ(form()["mStepHaliteXm1"].increment, 0.2);
    EXPECT_EQ(form().value("mInclusionNaCl"), 20);
    // Text that is no number leaves the state alone.
    ui->type("mHaliteTm", "warm");
    EXPECT_EQ(doc->mTm, 300 + 1e-9);
    ui->press("mResetButton");
    EXPECT_EQ(key(0, "Pm"), 88);
    EXPECT_EQ(key(0, "Xm"), 30);
    EXPECT_FALSE(form()["mResetButton"].enabled);
}

TEST_F(WorkbenchTest, SetInitialConditionsAndFixedDensity) {
    ui->type("mHaliteTm", 350);
    doc->updateChangeCount(ChangeKind::Cleared);
    ui->press("mSetInitialButton");
    EXPECT_EQ(key(0, "T0"), 350);
    // Regression: new initial conditions left the document unmarked and the reset button on.
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_FALSE(form()["mResetButton"].enabled);
    EXPECT_EQ(form().value("mStepT0"), 350);
    ui->check("mFixDensity", true);
    for (const char* off : {"mHalitePm", "mStepHalitePm", "mHaliteXm", "mStepRm"})
        EXPECT_FALSE(form()[off].enabled) << off;
    EXPECT_FALSE(ui->type("mHalitePm", 100));
    EXPECT_TRUE(ui->type("mHaliteTm", 360));
}

// A fluid of fixed density follows its isochore as the temperature changes: the density
// stays, the pressure is the one the model's isochore gives there; below its homogenisation
// the fluid splits at the pressure of that bulk density. A temperature at which the model
// finds no state of the density is refused, with the reason. Regression: the pressure stayed
// and the density followed it (250 degC, 35 bar, 20 wt % to 600 degC gave a halite-gas state
// of 16 kg/m3).
TEST_F(WorkbenchTest, FixedDensityFollowsTheIsochore) {
    PalliserModel& model = *doc->model();
    int onePhaseSteps = 0, splitSteps = 0;
    for (double X : {0.0, 5.0, 20.0})
        for (double T0 : {150.0, 250.0, 350.0})
            for (double P0 : {35.0, 400.0, 1000.0}) {
                SCOPED_TRACE(::testing::Message() << T0 << " degC, " << P0 << " bar, " << X << " wt %");
                ui->check("mFixDensity", false);
                ui->type("mHaliteXm", X);
                ui->type("mHaliteTm", T0);
                ui->type("mHalitePm", P0);
                if (doc->stateSnapshot().region != PhaseDiagramInfo::kOnePhase) continue;
                const double rho0 = doc->mRm;
                ui->check("mFixDensity", true);
                for (double T : {T0 + 50, T0 + 250, T0 + 1, T0 - 20, T0}) {
                    const double before = doc->mTm;
                    ui->type("mHaliteTm", T);
                    EXPECT_EQ(form().value("mHalitePm"), doc->mPm);
                    EXPECT_DOUBLE_EQ(key(0, "Pm"), doc->mPm);
                    if (doc->mTm != T) {
                        // Refused, and said so: the state is the one before.
                        EXPECT_EQ(doc->mTm, before);
                        EXPECT_NE(form().text(MyDocument::kStatusLine), "");
                        EXPECT_EQ(doc->refusedControl(), "mHaliteTm");
                        continue;
                    }
                    EXPECT_NEAR(doc->mRm / rho0, 1, 1e-6) << T;
                    if (doc->stateSnapshot().region != PhaseDiagramInfo::kOnePhase) {
                        ++splitSteps;
                        continue;
                    }
                    ++onePhaseSteps;
                    // The model's own density at the pressure shown is the fixed one,
                    EXPECT_NEAR(model.calculateFluidDensity(T, doc->mPm, 0.01 * X, -1) / rho0, 1, 1e-6);
                    // and the model's isochore from there passes through the start.
                    CurveArray isochore;
                    model.calculateTheIsochor(isochore, 0.01 * X, T, doc->mPm, T0, rho0);
                    if (T > T0 && isochore.size() >= 2 && isochore[isochore.size() - 2] == T0) {
                        EXPECT_NEAR(isochore.back(), P0, 0.05) << T;
                    }
                }
                // A liquid's pressure answers a density change of 1e-7 by some 0.002 bar.
                EXPECT_NEAR(doc->mPm, P0, 0.05) << "back at the start temperature";
            }
    EXPECT_GT(onePhaseSteps, 60);
    EXPECT_GT(splitSteps, 0);
    // The case of the report: a liquid at 250 degC heated to 600 degC stays a liquid of its
    // density, at the pressure of its isochore.
    ui->check("mFixDensity", false);
    ui->type("mHaliteXm", 20);
    ui->type("mHaliteTm", 250);
    ui->type("mHalitePm", 35);
    const double rho = doc->mRm;
    EXPECT_NEAR(rho, 1015, 10);
    ui->check("mFixDensity", true);
    ui->type("mHaliteTm", 600);
    EXPECT_EQ(form().text("mPhaseAssoc"), "fluid");
    EXPECT_NEAR(doc->mRm / rho, 1, 1e-6);
    EXPECT_GT(doc->mPm, 1000);
}

// Regression: with "Fixed density" a brine that had split below its homogenisation was refused
// somewhere below 100-165 degC ("the model finds no state of that density"). Cooled to room
// temperature and heated back it takes every temperature, its pressure falls on cooling and is
// the same at the same temperature both ways.
TEST_F(WorkbenchTest, FixedDensityFollowsAnInclusionToRoomTemperatureAndBack) {
    for (double X : {0.0, 5.0, 20.0, 30.0}) {
        SCOPED_TRACE(::testing::Message() << X << " wt %");
        ui->check("mFixDensity", false);
        ui->type("mHaliteXm", X);
        ui->type("mHaliteTm", 200);
        ui->type("mHalitePm", 100);
        ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
        const double rho = doc->mRm;
        ui->check("mFixDensity", true);
        std::vector<double> down;
        for (double T = 175; T >= 25; T -= 25) {
            ui->type("mHaliteTm", T);
            ASSERT_EQ(doc->mTm, T) << form().text(MyDocument::kStatusLine);
            EXPECT_NEAR(doc->mRm / rho, 1, 1e-6) << T;
            if (!down.empty()) {
                EXPECT_LT(doc->mPm, down.back()) << T;
            }
            down.push_back(doc->mPm);
        }
        EXPECT_NE(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
        for (double T = 50; T <= 175; T += 25) {
            ui->type("mHaliteTm", T);
            ASSERT_EQ(doc->mTm, T) << form().text(MyDocument::kStatusLine);
            EXPECT_NEAR(doc->mPm, down[size_t((175 - T) / 25)], 1e-6 * doc->mPm) << T;
        }
    }
}

// Regression: heated at fixed density a halite + liquid state (64.37 wt %, 159.05 degC,
// 3710.65 bar) went on to 5,802.9 bar at 300 degC and 90,304 bar at 984.7 degC, and a typed
// pressure above the diagram's 5000 bar top was shown as a state. A fixed-density temperature
// whose pressure lies above the top is refused, naming the temperature where the state leaves
// the diagram; a pressure typed above it lies outside the model's range; a state without a
// density has none to fix. (Pure water's fixed-density pressures are IAPWS-95's: 1080.0 and
// 3067.3 bar at 100 and 200 degC, 5275.9 bar at 300 degC.)
TEST_F(WorkbenchTest, FixedDensityStopsAtTheTopOfTheDiagram) {
    const std::string status = MyDocument::kStatusLine;
    PalliserModel& model = *doc->model();
    auto leavesAt = [&](double T) {
        const std::string& line = form().text(status);
        const std::string mark = "leaves the diagram at ";
        const std::size_t at = line.find(mark);
        EXPECT_NE(at, std::string::npos) << line << " at " << T;
        return at == std::string::npos ? NAN : vornex::cstrtod(line.c_str() + at + mark.size(), nullptr);
    };
    ui->type("mHaliteXm", 64.37);
    ui->type("mHaliteTm", 159.05);
    ui->type("mHalitePm", 3710.65);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquid);
    const double rho = doc->mRm;
    EXPECT_NEAR(rho, 1628.86, 0.05);
    ui->check("mFixDensity", true);
    for (double T : {300.0, 984.7}) {
        ui->type("mHaliteTm", T);
        EXPECT_EQ(doc->mTm, 159.05);
        EXPECT_EQ(doc->mPm, 3710.65);
        EXPECT_EQ(doc->refusedControl(), "mHaliteTm");
        EXPECT_NE(form().text(status).find("above the diagram's 5000 bar"), std::string::npos)
            << form().text(status);
        // The pressure of the density reaches the top there.
        const double Tleave = leavesAt(T);
        const double x = 0.01 * doc->mXm;
        EXPECT_LT(model.pressureForBulkDensity(Tleave - 0.01, 3710.65, rho, x), 5000);
        EXPECT_GT(model.pressureForBulkDensity(Tleave + 0.01, 3710.65, rho, x), 5000);
        EXPECT_NEAR(Tleave, 250, 10);
    }
    const double Tleave = leavesAt(984.7);
    ui->type("mHaliteTm", Tleave - 0.1);
    EXPECT_NEAR(doc->mTm, Tleave - 0.1, 1e-6);
    EXPECT_LE(doc->mPm, 5000);
    EXPECT_GT(doc->mPm, 4990);
    EXPECT_NEAR(doc->mRm / rho, 1, 1e-6);
    // Pure water.
    ui->check("mFixDensity", false);
    ui->type("mHaliteXm", 0);
    ui->type("mHaliteTm", 100);
    ui->type("mHalitePm", 1080.0);
    ui->check("mFixDensity", true);
    ui->type("mHaliteTm", 200);
    EXPECT_NEAR(doc->mPm, 3067.3, 0.5);
    ui->type("mHaliteTm", 300);
    EXPECT_EQ(doc->mTm, 200);
    EXPECT_NEAR(leavesAt(300), 290, 10);
    // A pressure typed above the top.
    ui->check("mFixDensity", false);
    ui->type("mHalitePm", 6000);
    EXPECT_EQ(doc->mPm, 6000);
    EXPECT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kUnclassified);
    EXPECT_EQ(form().text("mPhaseAssoc"), "not classified");
    for (const char* blank : {"mRm_edit", "mVolumeEdit", "mWtPercentL", "mRl_lv_edit"})
        EXPECT_EQ(form().text(blank), "") << blank;
    EXPECT_NE(form().text(status).find("lies outside the range of the model (its pressures end "
                                       "at 5000 bar)"),
              std::string::npos)
        << form().text(status);
    // Nothing to fix: the box stays off and the pressure can be brought back.
    ui->check("mFixDensity", true);
    EXPECT_EQ(form()["mFixDensity"].state, 0);
    EXPECT_NE(form().text(status).find("no density to fix"), std::string::npos);
    EXPECT_TRUE(ui->type("mHalitePm", 2000));
    EXPECT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
    EXPECT_GT(doc->mRm, 0);
    EXPECT_EQ(form().text(status), "");
}

// A temperature refused under "Fixed density" leaves the state, the case and every field as
// they were before it, whether typed or stepped; its message goes with the next accepted edit.
// (A brine of 30 wt % and 800 bar at 200 degC has no state of its density near 175 degC, where
// its liquid meets the liquidus.)
TEST_F(WorkbenchTest, RefusedFixedDensityTemperatureLeavesTheStateAsItWas) {
    ui->type("mHaliteXm", 30);
    ui->type("mHaliteTm", 200);
    ui->type("mHalitePm", 800);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
    ui->check("mFixDensity", true);
    const char* const fields[] = {"mHaliteTm", "mStepHaliteTm", "mHalitePm", "mStepHalitePm",
                                  "mHaliteXm", "mRm_edit",      "mStepRm",   "mVolumeEdit",
                                  "mPhaseAssoc"};
    const std::string status = MyDocument::kStatusLine;
    for (double T = 195; T >= 150; T -= 1) {
        std::vector<std::string> before;
        for (const char* f : fields) before.push_back(form().text(f));
        const double Tm = doc->mTm, Pm = doc->mPm, Rm = doc->mRm;
        const PhaseDiagramInfo state = doc->stateSnapshot();
        const double casePm = key(0, "Pm"), caseTm = key(0, "Tm");
        ui->type("mHaliteTm", T);
        if (doc->mTm == T) {
            EXPECT_EQ(form().text(status), "") << T;
            continue;
        }
        for (const char* control : {"mHaliteTm", "mStepHaliteTm"}) {
            SCOPED_TRACE(::testing::Message() << control << " refused at " << T);
            ui->type(control, T);
            EXPECT_NE(form().text(status).find("no state of that density"), std::string::npos);
            EXPECT_EQ(doc->refusedControl(), control);
            EXPECT_EQ(doc->mTm, Tm);
            EXPECT_EQ(doc->mPm, Pm);
            EXPECT_EQ(doc->mRm, Rm);
            EXPECT_EQ(key(0, "Tm"), caseTm);
            EXPECT_EQ(key(0, "Pm"), casePm);
            EXPECT_EQ(doc->stateSnapshot().region, state.region);
            EXPECT_EQ(doc->stateSnapshot().density, state.density);
            for (size_t i = 0; i < std::size(fields); ++i)
                EXPECT_EQ(form().text(fields[i]), before[i]) << fields[i];
        }
        // The next accepted edit takes the message away.
        ui->type("mStepHaliteTm", Tm + 1);
        EXPECT_EQ(doc->mTm, Tm + 1);
        EXPECT_EQ(form().text(status), "");
        EXPECT_EQ(doc->refusedControl(), "");
        return;
    }
    ADD_FAILURE() << "no temperature was refused";
}

// Region 0 and pure-end regions: no stale density, no negative salinity taken for a case.
// Regression: the liquid-vapour box kept naming the temperature and pressure of a state it no
// longer showed (its fields blank) after the state moved into halite + gas.
TEST_F(WorkbenchTest, LiquidVapourTitleFollowsTheState) {
    ui->type("mHaliteTm", 500);
    ui->type("mHaliteXm", 30);
    ui->type("mHalitePm", 400);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kLiquidVapour);
    EXPECT_EQ(form()["mBoxLiqGas"].title, "Liquid-Vapour Association at 500.00°C and 400.00 bar");
    ui->type("mHalitePm", 200);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteVapour);
    EXPECT_EQ(form().text("mRl_lv_edit"), "");
    EXPECT_EQ(form()["mBoxLiqGas"].title, "Liquid-Vapour Association");
}

// Regression: pure water's liquid-vapour box showed -100 wt % for the salinities the model
// leaves uncomputed (-1), and the saturation densities at 23 mbar for a state at 20 degC and
// 100 bar. Off its saturation pressure the box is blank, as it is for 1e-6 wt %; on it, its
// densities are the saturation pair of the state; no salinity shown is negative.
TEST_F(WorkbenchTest, PureWaterLiquidVapourBoxShowsOnlyTheStatesOwnPair) {
    const char* const fields[] = {"mXliq", "mXgas", "mRl_lv_edit", "mRg_lv_edit"};
    for (double X : {0.0, 1e-6}) {
        ui->type("mHaliteXm", X);
        ui->type("mHaliteTm", 20);
        ui->type("mHalitePm", 100);
        for (const char* f : fields) EXPECT_EQ(form().text(f), "") << f << " at " << X;
        EXPECT_EQ(form()["mBoxLiqGas"].title, "Liquid-Vapour Association");
    }
    ui->type("mHaliteXm", 0);
    int onCurve = 0;
    for (double T : {1.0, 20.0, 150.0, 300.0, 370.0, 500.0, 995.0}) {
        for (double P : {1.0, 100.0, 1000.0, 3000.0, -1.0}) {
            ui->type("mHaliteTm", T);
            // -1: on the saturation pressure of the temperature.
            ui->type("mHalitePm", P > 0 ? P : form().value("mPsat"));
            SCOPED_TRACE(::testing::Message() << T << " degC, " << doc->mPm << " bar");
            for (const char* f : {"mXliq", "mXgas"})
                EXPECT_TRUE(!form()[f].holdsNumber() || form().value(f) >= 0) << f;
            const bool saturated = doc->stateSnapshot().region == PhaseDiagramInfo::kWaterSaturation;
            EXPECT_EQ(form()["mRl_lv_edit"].holdsNumber(), saturated);
            if (!saturated) continue;
            ++onCurve;
            EXPECT_EQ(form().value("mRl_lv_edit"), form().value("mSatLiqDensity"));
            EXPECT_EQ(form().value("mRg_lv_edit"), form().value("mSatGasDensity"));
        }
    }
    EXPECT_GE(onCurve, 3);
}

// Regression: the boiling tab's P-T plot stood empty without a word.
TEST_F(WorkbenchTest, TheBoilingPlotSaysWhereTheColumnIsDrawn) {
    auto captioned = [this] {
        const auto* text = dynamic_cast<const CGraphText*>(
            plot("mBoilingViewp").getGraphObjectWithName(MyDocument::kBoilingCaption));
        return text && text->contents().string().find("depth plot") != std::string::npos;
    };
    EXPECT_TRUE(captioned());
    doc->performAction("onToggleShowH2OSat:");  // redraws the base curves, purging the plots
    EXPECT_TRUE(captioned());
    ASSERT_TRUE(ui->writePlot("mBoilingViewp", "boiling.svg").ok());
}

// Regression: the boiling plot's caption ran on one line past the plot's right edge, cut at
// the window's default size and every smaller one, and zooming moved it off the plot.
TEST_F(WorkbenchTest, TheBoilingCaptionIsReadWholeInsideThePlotAtEveryWidth) {
    CPlotView& boiling = plot("mBoilingViewp");
    const auto* caption = dynamic_cast<const CGraphText*>(
        boiling.getGraphObjectWithName(MyDocument::kBoilingCaption));
    ASSERT_NE(caption, nullptr);
    const std::string sentence = caption->contents().string();
    const Rect frame = boiling.frame();
    // 320 is the least width the window gives a plot.
    auto drawnWhole = [&](double width, const char* zoom) {
        boiling.setFrame(Rect(0, 0, width, 240));
        RecordingCanvas canvas(boiling.bounds().size);
        boiling.drawRect(canvas);
        const Rect inside = boiling.getPlotRect();
        std::string words;
        for (const RecordedOperation& op : canvas.operations(RecordedOperation::Kind::Text)) {
            if (sentence.find(op.text) == std::string::npos) continue;  // ticks and titles
            words += (words.empty() ? "" : " ") + op.text;
            EXPECT_GE(op.origin.x, inside.minX()) << width << zoom << op.text;
            EXPECT_LE(op.origin.x + op.textSize.width, inside.maxX()) << width << zoom << op.text;
            EXPECT_GE(op.origin.y, inside.minY()) << width << zoom << op.text;
            EXPECT_LE(op.origin.y + op.textSize.height, inside.maxY()) << width << zoom << op.text;
        }
        EXPECT_EQ(words, sentence) << width << zoom;
    };
    for (double width : {200.0, 320.0, 600.0}) drawnWhole(width, "");
    boiling.doChangeAxisRanges(300, 320, 450, 440);
    for (double width : {200.0, 320.0, 600.0}) drawnWhole(width, " zoomed");
    boiling.setFrame(frame);
}

TEST_F(WorkbenchTest, UnclassifiedStateShowsNoDensity) {
    // A typed negative pressure is refused; a case read from a file may still hold one.
    EXPECT_TRUE(ui->type("mHalitePm", -5));
    EXPECT_EQ(doc->mPm, 88);
    doc->mPm = -5;
    doc->onUpdateViews();
    EXPECT_EQ(doc->stateSnapshot().region, 0);
    EXPECT_EQ(form().text("mPhaseAssoc"), "not classified");
    EXPECT_EQ(form().text("mRm_edit"), "");
    EXPECT_EQ(form().text("mVolumeEdit"), "");
    EXPECT_EQ(form().text("mRl_slv_edit"), "");  // not computed: blank, not -1
    EXPECT_FALSE(form()["mGetVapourButton"].enabled);
    ui->type("mHalitePm", 88);
    EXPECT_EQ(form().text("mPhaseAssoc"), "fluid");
    // Beyond the model's temperatures: blank results and a message, never a density of 0.
    ASSERT_TRUE(ui->type("mHaliteTm", 5000));
    EXPECT_EQ(doc->mTm, 5000);
    EXPECT_EQ(form().text("mPhaseAssoc"), "not classified");
    for (const char* blank : {"mRm_edit", "mStepRm", "mVolumeEdit", "mWtPercentL", "mXliq"})
        EXPECT_EQ(form().text(blank), "") << blank;
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("outside the range of the model"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
    // A state the model places again takes the message away.
    ui->type("mHaliteTm", 300);
    EXPECT_EQ(form().text(MyDocument::kStatusLine), "");
    EXPECT_GT(form().value("mRm_edit"), 0);
}

struct PhaseCase {
    double T, P, X;  // P < 0: on the saturation (X 0) or three-phase pressure
    int region;
    bool liquid;
    double PhaseDiagramInfo::*salinity;  // null: the region has no such phase
    double fixed;                        // wt % when there is no field (pure ends)
};

// Regression: the buttons took the liquid-vapour pair in every region, -1 (a case at
// -100 wt %) where there is none.
TEST_F(WorkbenchTest, GetLiquidAndVapourTakeTheRegionsOwnPhase) {
    using I = PhaseDiagramInfo;
    const PhaseCase cases[] = {
        {300, 88, 30, 6, true, nullptr, -1},
        {300, -1, 0, 7, true, nullptr, 0},
        {300, -1, 0, 7, false, nullptr, 0},
        {500, 400, 30, 1, true, &I::lgLiquidSalinity, -1},
        {500, 400, 30, 1, false, &I::lgVapourSalinity, -1},
        {300, 100, 60, 5, true, &I::haliteLiquidSalinity, -1},
        {300, 100, 60, 5, false, nullptr, -1},
        {500, 200, 30, 4, false, &I::haliteGasSalinity, -1},
        {500, 200, 30, 4, true, nullptr, -1},
        // On the SLV pressure with a density no three phases can have: halite + liquid.
        {300, -1, 45, 5, true, &I::haliteLiquidSalinity, -1},
        {300, -1, 45, 5, false, nullptr, -1},
        // Molten NaCl on its own boiling pressure: both phases are the pure salt.
        {900, -1, 100, 8, true, nullptr, 100},
        {900, -1, 100, 8, false, nullptr, 100},
    };
    for (const PhaseCase& c : cases) {
        ui->selectRow(0);
        ui->type("mHaliteTm", c.T);
        ui->type("mHaliteXm", c.X);
        const bool pure = c.X == 0 || c.X == 100;
        ui->type("mHalitePm", c.P > 0 ? c.P : pure ? form().value("mPsat") : 60.0);
        if (c.P < 0 && !pure) ui->type("mHalitePm", doc->stateSnapshot().slvPressure);
        ASSERT_EQ(doc->stateSnapshot().region, c.region) << c.T << " " << c.P << " " << c.X;
        const PhaseDiagramInfo state = doc->stateSnapshot();
        // A tracer run since the evaluation leaves the model's record describing another
        // state; the buttons read the snapshot.
        doc->model()->calculateFluidDensity(700, 3000, 0.05, -1);
        const int before = doc->caseCount();
        doc->performAction(c.liquid ? "onGetLiquid:" : "onGetVapour:");
        if (!c.salinity && c.fixed < 0) {
            EXPECT_EQ(doc->caseCount(), before) << c.region;
            continue;
        }
        const double expected = c.salinity ? 100 * (state.*c.salinity) : c.fixed;
        ASSERT_EQ(doc->caseCount(), before + 1) << c.region;
        const int row = doc->listView().selectedRow();
        EXPECT_DOUBLE_EQ(key(row, "Xm"), expected) << c.region;
        EXPECT_DOUBLE_EQ(key(row, "X0"), expected) << c.region;
        // Named after the case and the phase it came from (regression: "New", as its source).
        const std::string name = std::string("New ") + (c.liquid ? "liquid" : "vapour");
        EXPECT_EQ(caseAt(row).get("name").toString(), name);
        EXPECT_EQ(form().text("mName"), name);
        EXPECT_GE(expected, 0);
        EXPECT_LE(expected, 100);
        // The new case is the state shown: its density belongs to the salinity it stores.
        EXPECT_EQ(doc->mXm, expected);
        EXPECT_EQ(form().value("mHaliteXm"), expected);
    }
    // Regression: the density of the old salinity was stored with the new one, and opening
    // the file recomputed it unmarked. Every case reads back as saved, selected or not.
    ASSERT_TRUE(doc->saveToFile("phases.wyvra").ok());
    auto reopened = HeadlessWorkbench::openDocument("phases.wyvra");
    ASSERT_TRUE(reopened);
    HeadlessWorkbench driver(*reopened);
    for (int row = 0; row < reopened->caseCount(); ++row) {
        driver.selectRow(row);
        EXPECT_EQ(reopened->cases().at(row), doc->cases().at(row)) << row;
        EXPECT_FALSE(reopened->isDocumentEdited()) << row;
    }
}

// In the three-phase field the buttons take the halite-saturated liquid and its vapour: the
// liquid at 300 degC holds 38.16 wt % NaCl on the halite liquidus of Sterner, Hall & Bodnar
// (1988), the vapour a trace.
TEST_F(WorkbenchTest, GetLiquidAndVapourOfTheThreePhaseField) {
    ui->type("mHaliteTm", 300);
    ASSERT_TRUE(ui->clickPlot("mVxViewp", 45, 2.0));
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquidVapour);
    const PhaseDiagramInfo state = doc->stateSnapshot();
    const double psi = 3.0;
    const double liquidus = 26.242 + 0.4928 * psi + 1.42 * psi * psi - 0.223 * std::pow(psi, 3) +
                            0.04129 * std::pow(psi, 4) + 0.006295 * std::pow(psi, 5) -
                            0.001967 * std::pow(psi, 6) + 0.0001112 * std::pow(psi, 7);
    const int before = doc->caseCount();
    doc->performAction("onGetLiquid:");
    ASSERT_EQ(doc->caseCount(), before + 1);
    const double liquid = key(doc->listView().selectedRow(), "Xm");
    EXPECT_DOUBLE_EQ(liquid, 100 * state.slvLiquidSalinity);
    EXPECT_NEAR(liquid, liquidus, 0.5);
    ui->selectRow(0);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquidVapour);
    doc->performAction("onGetVapour:");
    ASSERT_EQ(doc->caseCount(), before + 2);
    const double vapour = key(doc->listView().selectedRow(), "Xm");
    EXPECT_DOUBLE_EQ(vapour, 100 * state.slvVapourSalinity);
    EXPECT_GT(vapour, 0);
    EXPECT_LT(vapour, 0.1);
}

struct CurveName {
    const char* name;
    const char* plot;
    const char* toggle;
};

TEST_F(WorkbenchTest, BaseCurveNamesArePresentExactlyWhenTheirFlagIsOn) {
    const CurveName names[] = {{"ptslv", "mPTViewp", "onToggleShowHLV:"},
                               {"txslv", "mTxViewp", "onToggleShowHLV:"},
                               {"rtslv", "mRhoTxViewp", "onToggleShowHLV:"},
                               {"rtnacl_vap", "mRhoTViewp", "onToggleShowNaClSat:"},
                               {"rtsatsteam", "mRhoTxViewp", "onToggleShowH2OSat:"}};
    ui->press("mIsochoreButton");
    for (const CurveName& n : names) {
        EXPECT_NE(plot(n.plot).getGraphObjectWithName(n.name), nullptr) << n.name;
        const int state = countNamedPrefix(n.plot, "t_");
        ASSERT_TRUE(ui->perform(n.toggle));
        EXPECT_EQ(plot(n.plot).getGraphObjectWithName(n.name), nullptr) << n.name;
        ui->perform(n.toggle);
        EXPECT_NE(plot(n.plot).getGraphObjectWithName(n.name), nullptr) << n.name;
        // The state's drawings are back with the curve, as the state was.
        EXPECT_EQ(countNamedPrefix(n.plot, "t_"), state) << n.name;
    }
    // The P-T base curves (water, SLV, NaCl, critical) stand on the isochore plot too.
    EXPECT_NE(plot("mIsochoreViewp").getGraphObjectWithName("ptslv"), nullptr);
    // Four curves, three special points, and the isochore drawn, which the toggles keep.
    EXPECT_EQ(lasting("mIsochoreViewp"), 4u + 3u + 1u);
    doc->onToggleShowCritical();
    MenuItem& item = *doc->documentMenu().itemWithAction("onToggleShowCritical:");
    doc->documentMenu().update();
    EXPECT_EQ(item.state(), MenuItem::State::Off);
}

TEST_F(WorkbenchTest, IsochoreOfAOnePhaseStateRunsDownTo100C) {
    const std::size_t base = lasting("mIsochoreViewp");
    ui->type("mHaliteXm", 1);
    ui->type("mHalitePm", 1000);
    ui->type("mHaliteTm", 400);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
    ui->press("mIsochoreButton");
    const auto& objects = plot("mIsochoreViewp").graphObjects();
    ASSERT_EQ(lasting("mIsochoreViewp"), base + 1);
    const auto* curve = dynamic_cast<const CGraphCurve*>(objects.back().get());
    ASSERT_NE(curve, nullptr);
    EXPECT_LE(curve->pointCount(), 301);
    EXPECT_GT(curve->pointCount(), 10);
    EXPECT_EQ(curve->getPointAtIndex(0).x, 400);
    EXPECT_GE(curve->mPointsList().back().x, 100);
    // A second isochore, a state edit that keeps both, the delete that takes the last.
    ui->type("mHaliteTm", 450);
    ui->press("mIsochoreButton");
    EXPECT_EQ(lasting("mIsochoreViewp"), base + 2);
    ui->press("mDeleteIsochoreButton");
    ui->press("mDeleteIsochoreButton");
    ui->press("mDeleteIsochoreButton");
    EXPECT_EQ(lasting("mIsochoreViewp"), base);
    ui->type("mHalitePm", 20);  // two phases: nothing is drawn, and the message line says why
    ui->press("mIsochoreButton");
    EXPECT_EQ(lasting("mIsochoreViewp"), base);
    const std::string why = form().text(MyDocument::kStatusLine);
    EXPECT_NE(why.find("No isochore"), std::string::npos) << why;
    EXPECT_NE(why.find("not one phase"), std::string::npos) << why;
    // Below 100 degC there is nothing to trace either.
    ui->type("mHalitePm", 500);
    ui->type("mHaliteTm", 90);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
    ui->press("mIsochoreButton");
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("down to 100"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
    // Water just above its boiling pressure is at its homogenisation temperature: a degree
    // lower it boils.
    ui->type("mHaliteXm", 0);
    ui->type("mHaliteTm", 300);
    ui->type("mHalitePm", form().value("mPsat") + 0.05);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
    ui->press("mIsochoreButton");
    EXPECT_EQ(lasting("mIsochoreViewp"), base);
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("No isochore"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
    // One that is drawn takes the message away.
    ui->type("mHaliteTm", 450);
    ui->type("mHalitePm", 1000);
    ui->press("mIsochoreButton");
    EXPECT_EQ(lasting("mIsochoreViewp"), base + 1);
    EXPECT_EQ(form().text(MyDocument::kStatusLine), "");
}

// Isochores drawn: the curves of the one-phase states they start from. Showing or hiding a
// base curve, choosing the model again and a refresh redraw the plots, and the isochores come
// back as they were, each still at its state's density and the width it was given; Delete then
// takes the last one drawn. (The model chosen again and a refresh erased them; a thickened
// isochore came back at width 1.)
TEST_F(WorkbenchTest, IsochoresOutliveEveryRedraw) {
    const std::size_t base = lasting("mIsochoreViewp");
    struct Start {
        double X, P, T, rho = 0;
    } starts[] = {{1, 1000, 400}, {10, 1500, 600}};
    for (Start& s : starts) {
        ui->type("mHaliteXm", s.X);
        ui->type("mHalitePm", s.P);
        ui->type("mHaliteTm", s.T);
        ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kOnePhase);
        s.rho = doc->mRm;
        ui->press("mIsochoreButton");
    }
    ASSERT_EQ(lasting("mIsochoreViewp"), base + 2);
    auto curves = [&] {
        std::vector<CGraphCurve*> found;
        for (const auto& o : plot("mIsochoreViewp").graphObjects())
            if (auto* c = dynamic_cast<CGraphCurve*>(o.get()); c && o->name().empty() &&
                                                             c->pointCount() > 10 &&
                                                             c->getPointAtIndex(0).y >= 1000)
                found.push_back(c);
        return found;
    };
    auto isochores = [&] {
        std::vector<std::vector<CurvePoint>> found;
        for (const CGraphCurve* c : curves()) found.push_back(c->mPointsList());
        return found;
    };
    const auto drawn = isochores();
    ASSERT_EQ(drawn.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
        for (std::size_t k = 0; k < drawn[i].size(); k += drawn[i].size() / 4) {
            const CurvePoint& q = drawn[i][k];
            const Start& s = starts[i];
            const double rho = doc->model()->calculateFluidDensity(q.x, q.y, s.X / 100, s.rho);
            EXPECT_NEAR(rho / s.rho, 1, 2e-4) << "isochore " << i << " at " << q.x << " C";
        }
    auto widths = [&] {
        std::vector<float> found;
        for (const CGraphCurve* c : curves()) found.push_back(c->getToolSizeFactor());
        return found;
    };
    // The first one thickened from the curve panel's menu.
    curves().front()->setToolSizeFactor(3.0f);
    ASSERT_EQ(widths(), (std::vector<float>{3.0f, 1.0f}));
    for (const char* action :
         {"onToggleShowH2OSat:", "onToggleShowNaClSat:", "onToggleShowHLV:", "onToggleShowHL:",
          "onToggleShowHV:", "onToggleShowLG:", "onToggleShowCritical:", "onSelectPalliserModel:",
          "onRefreshViews:"}) {
        for (const char* pass : {" once", " twice"}) {
            ASSERT_TRUE(ui->perform(action));
            const auto now = isochores();
            EXPECT_EQ(now.size(), drawn.size()) << action << pass;
            EXPECT_TRUE(now == drawn) << action << pass;
            EXPECT_EQ(widths(), (std::vector<float>{3.0f, 1.0f})) << action << pass;
        }
    }
    ui->press("mDeleteIsochoreButton");
    ASSERT_EQ(isochores().size(), 1u);
    EXPECT_TRUE(isochores().front() == drawn.front());
    ui->press("mDeleteIsochoreButton");
    EXPECT_EQ(lasting("mIsochoreViewp"), base);
}

TEST_F(WorkbenchTest, TabsMarkThePlotsAndTickTheMenu) {
    doc->mXm = 10;
    doc->mRm = 800;
    doc->onGoToRho_panel();
    EXPECT_FLOAT_EQ(plot("mVxViewp").selectedPointX(), 10);
    EXPECT_FLOAT_EQ(plot("mVxViewp").selectedPointY(), 1.25);
    doc->mRm = 0;  // no density: the volume mark stays where it was
    doc->onGoToRho_panel();
    EXPECT_FLOAT_EQ(plot("mVxViewp").selectedPointY(), 1.25);
    ui->perform("onGoToIsochore_panel:");
    EXPECT_EQ(doc->tabView().selectedIdentifier(), "isochore");
    doc->documentMenu().update();
    EXPECT_EQ(doc->documentMenu().itemWithTitle("Isochore")->state(), MenuItem::State::On);
    EXPECT_EQ(doc->documentMenu().itemWithTitle("Ice")->state(), MenuItem::State::Off);
}

// The menu's Halite and Ice items open their panels, which compute at once: the
// inclusion's homogenisation and the salinity that freezes at the ice panel's temperature.
TEST_F(WorkbenchTest, HaliteAndIceItemsOpenTheirPanelsAndCompute) {
    ui->perform("onGoToInclusions_panel:");
    EXPECT_EQ(doc->tabView().selectedIdentifier(), "halite");
    doc->documentMenu().update();
    EXPECT_EQ(doc->documentMenu().itemWithTitle("Halite")->state(), MenuItem::State::On);
    ASSERT_TRUE(form()["mTh_edit"].holdsNumber());
    EXPECT_GT(form().value("mTh_edit"), form().value("mTm_edit"));
    ui->perform("onGoToIce_panel:");
    EXPECT_EQ(doc->tabView().selectedIdentifier(), "ice");
    doc->documentMenu().update();
    EXPECT_EQ(doc->documentMenu().itemWithTitle("Ice")->state(), MenuItem::State::On);
    EXPECT_EQ(doc->documentMenu().itemWithTitle("Halite")->state(), MenuItem::State::Off);
    double T = 0;
    doc->model()->calculateFreezingTemperature(0.01 * form().value("mIceSalinity"), 1, T);
    EXPECT_NEAR(T, -10, 1e-6);
}

TEST_F(WorkbenchTest, LogReportAt300And500C) {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    ui->type("mHaliteTm", 300);
    EXPECT_EQ(log.string(), "");  // closed log: no report
    ui->perform("onShowLog:");
    EXPECT_EQ(log.contentSize().width, 700);
    ui->type("mHaliteTm", 300);
    const std::string at300 = log.string();
    EXPECT_EQ(at300.rfind("Case : New\n", 0), 0u);
    EXPECT_NE(at300.find("\tInitial temperature (°C)          : 300.00 \n"), std::string::npos);
    EXPECT_EQ(at300.find("Critical pressure"), std::string::npos);
    EXPECT_NE(at300.find("Halite-liquid-gas phase association\n\tPressure (bar)          : "),
              std::string::npos);
    EXPECT_NE(at300.find("Phase association : fluid\n"), std::string::npos);
    log.clearText();
    ui->type("mHaliteTm", 500);
    ui->type("mHalitePm", 300);
    const std::string at500 = log.string().substr(log.string().rfind("Case : "));
    const PhaseDiagramInfo& s = doc->stateSnapshot();
    char line[200];
    vornex::csnprintf(line, sizeof line, "\tCritical pressure (bar)   : %.2f  (at 500.00°C)\n",
                  s.criticalPressure);
    EXPECT_NE(at500.find(line), std::string::npos) << at500;
    if (s.region == 1 || s.region == 2) {
        vornex::csnprintf(line, sizeof line, "\tLiquid NaCl wt (%%) : %.4f\n",
                      100 * s.lgLiquidSalinity);
        EXPECT_NE(at500.find(line), std::string::npos) << at500;
    }
    EXPECT_EQ(log.scrollTarget(), log.string().size());
    ASSERT_TRUE(HeadlessWorkbench::writeLog("log.txt").ok());
}

// Pure water above its critical point does not compute the three-phase point: its report
// leaves that block out rather than printing -1 bar and -100 wt % as an association.
TEST_F(WorkbenchTest, LogReportOfPureWaterAboveItsCriticalPoint) {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    ui->perform("onShowLog:");
    for (double T : {380.0, 500.0, 800.0}) {
        log.clearText();
        ui->type("mHaliteXm", 0);
        ui->type("mHaliteTm", T);
        ui->type("mHalitePm", 300);
        const std::string report = log.string().substr(log.string().rfind("Case : "));
        EXPECT_EQ(report.find(": -"), std::string::npos) << report;
        EXPECT_NE(report.find("Phase association : fluid\n"), std::string::npos) << report;
    }
    // Below it, and with salt, the block stays.
    log.clearText();
    ui->type("mHaliteXm", 0);
    ui->type("mHaliteTm", 300);
    EXPECT_NE(log.string().find("Halite-liquid-gas phase association\n"), std::string::npos);
    log.clearText();
    ui->type("mHaliteXm", 10);
    ui->type("mHaliteTm", 500);
    EXPECT_NE(log.string().find("Halite-liquid-gas phase association\n"), std::string::npos);
    EXPECT_EQ(log.string().find(": -"), std::string::npos) << log.string();
}

}  // namespace
}  // namespace vornex::test

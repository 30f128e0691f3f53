// The tab panels against the model and against each other: an inclusion solved from Th and Tm
// shown alike on both sides of the inclusion panel, the boiling column, and what the message
// line keeps.
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "WorkbenchTestSupport.h"
#include "platform/PlatformLog.h"
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

// The state in a plot's coordinates, and the press of a mouse button in that plot.
std::pair<double, double> stateIn(const MyDocument& d, const std::string& plot) {
    if (plot == "mPTViewp" || plot == "mIsochoreViewp") return {d.mTm, d.mPm};
    if (plot == "mTxViewp") return {d.mTm, d.mXm};
    if (plot == "mPxViewp") return {d.mXm, d.mPm};
    if (plot == "mRhoTViewp" || plot == "mRhoTxViewp") return {d.mTm, d.mRm};
    if (plot == "mRhoPViewp") return {d.mPm, d.mRm};
    if (plot == "mRhoXViewp") return {d.mXm, d.mRm};
    return {d.mXm, 1000 / d.mRm};  // mVxViewp
}

void press(CPlotView& view, Point at, int clickCount) {
    MouseEvent down;
    down.location = at;
    down.clickCount = clickCount;
    QueuedMouseEvents followUp;
    followUp.release(at);
    view.mouseDown(down, followUp);
}

// Regression: a click that selected a marker left the state alone but moved the plot's mark
// onto the marker (state 827.9 degC, 80.28 bar; a click on the initial-conditions marker put
// the P-T mark at 298 degC / 88 bar). In every plot of the case, after a single or double
// click on each of its markers and curves, a press on the legend and a click beside the plot
// rectangle (which selects no point: it set 0 degC from the density-temperature plot), the
// state is the one it was and the mark shows it.
TEST_F(WorkbenchTest, StateMarkStaysOnTheStateAfterSelectingClicks) {
    auto setState = [&] {
        ui->type("mHaliteXm", 10);
        ui->type("mHaliteTm", 600);
        ui->type("mHalitePm", 300);
    };
    setState();
    ASSERT_GT(doc->mRm, 0);
    const char* const plots[] = {"mPTViewp",   "mTxViewp",   "mPxViewp",
                                 "mRhoTViewp", "mRhoPViewp", "mRhoXViewp",
                                 "mVxViewp",   "mRhoTxViewp", "mIsochoreViewp"};
    int selecting = 0;
    for (const char* name : plots) {
        CPlotView& view = plot(name);
        view.calculateCoefficients();
        auto inside = [&](float x, float y) {
            return x > view.mCurrentMinX() && x < view.mCurrentMaxX() &&
                   y > view.mCurrentMinY() && y < view.mCurrentMaxY();
        };
        std::vector<DataPoint> targets;
        for (const auto& o : view.graphObjects()) {
            if (auto* p = dynamic_cast<const CGraphPoint*>(o.get())) {
                if (inside(p->getX(), p->getY())) targets.push_back({p->getX(), p->getY()});
            } else if (auto* c = dynamic_cast<const CGraphCurve*>(o.get())) {
                for (int i = 1; i < 4 && c->pointCount() > 4; ++i) {
                    const CurvePoint m = c->getPointAtIndex(c->pointCount() * i / 4);
                    if (inside(m.x, m.y)) targets.push_back({m.x, m.y});
                }
            }
        }
        PlistValue before = caseAt(0);
        auto expectMarkOnState = [&](const std::string& what) {
            SCOPED_TRACE(::testing::Message() << name << ", " << what);
            EXPECT_EQ(caseAt(0), before);
            const auto [x, y] = stateIn(*doc, name);
            EXPECT_FLOAT_EQ(view.selectedPointX(), static_cast<float>(x));
            EXPECT_FLOAT_EQ(view.selectedPointY(), static_cast<float>(y));
            EXPECT_TRUE(view.isSelectionPointVisible());
        };
        int hits = 0;
        for (const DataPoint& at : targets) {
            const Point p{view.getXValue(static_cast<float>(at.x)),
                          view.getYValue(static_cast<float>(at.y))};
            press(view, p, 1);
            if (!view.selectionIsClickable()) {
                // A click beside the objects moved the state: back to where it was.
                setState();
                before = caseAt(0);
                continue;
            }
            ++hits;
            expectMarkOnState("click at " + std::to_string(at.x) + ", " + std::to_string(at.y));
            press(view, p, 2);  // opens the object's settings
            expectMarkOnState("double click");
        }
        selecting += hits;
        EXPECT_GE(hits, std::string(name) == "mPTViewp" ? 3 : 1) << name;
        const Rect legend = view.mLegend().getBounds();
        if (!legend.isZero()) {
            press(view, {legend.midX(), legend.midY()}, 1);
            expectMarkOnState("legend");
        }
        press(view, {2, 2}, 1);
        expectMarkOnState("beside the plot rectangle");
    }
    EXPECT_GE(selecting, 50);
}

// Thick upper layers of water and dilute brine whose geotherm passes the brine's critical
// pressure far below its critical temperature: each column is determined, and one shown as not
// boiling stays below the bubble curve wherever its column is below the critical pressure.
TEST_F(WorkbenchTest, BoilingColumnBelowTheBubbleCurveDoesNotBoil) {
    const LogSink previous = setLogSink([](const std::string&) {});
    PalliserModel& model = *doc->model();
    const std::string status = MyDocument::kStatusLine;
    int still = 0;
    for (double NaCl : {0.0, 1.0, 3.0, 5.0, 25.0}) {
        double Tc = 0, Pc = 0, rhoc = 0;
        model.calculateCriticalPointFromX(0.01 * NaCl, Tc, Pc, rhoc);
        for (double H10 : {1000.0, 3000.0, 5000.0}) {
            for (double g : {0.01, 0.03, 0.04, 0.05, 0.07, 0.1, 0.3}) {
                doc->initBoilingPanel();
                ui->type("mBoilNaCl2", NaCl);
                ui->type("mBoilH10", H10);
                ui->type("mBoildTdz1", g);
                SCOPED_TRACE(::testing::Message() << NaCl << " wt %, " << H10 << " m, " << g);
                ASSERT_NE(form().text("mBoilH1"), "") << form().text(status);
                // The only note is where a boiling zone ends at its brine's critical point.
                const bool endsAbove = form().value("mBoilH2") > 0 &&
                                       form().value("mBoilzBot2") < 10 + H10;
                EXPECT_EQ(form().text(status).find("upper layer boils") != std::string::npos,
                          endsAbove)
                    << form().text(status);
                EXPECT_TRUE(form().text(status).empty() ||
                            form().text(status).find("critical point") != std::string::npos)
                    << form().text(status);
                EXPECT_NEAR(form().value("mBoilH1") + form().value("mBoilH2"), H10, 1e-9);
                if (form().value("mBoilH2") != 0) continue;
                ++still;
                for (int k = 1; k <= 20; ++k) {
                    const double dz = H10 * k / 20, P = 1 + 1000 * 9.81 * dz * 1e-5;
                    if (P >= 0.999 * Pc) break;
                    double Tb = -1, xV = 0, rl = 0, rv = 0;
                    model.calculateBubblePointFromP(P, 0.01 * NaCl, Tb, xV, rl, rv, 100);
                    if (model.failed) continue;
                    EXPECT_LT(g * dz, Tb) << P;
                }
            }
        }
    }
    EXPECT_GT(still, 20);
    setLogSink(previous);
}

// A deep brine layer whose top is already above its critical pressure does not boil however
// hot it gets: its temperatures are the geotherm's, 5 K/m through 50 m of rock and 100 m of
// brine below a cold 3000 m water column.
TEST_F(WorkbenchTest, DeepLayerAboveItsCriticalPressureDoesNotBoil) {
    const LogSink previous = setLogSink([](const std::string&) {});
    double Tc = 0, Pc = 0, rhoc = 0;
    doc->model()->calculateCriticalPointFromX(0.01, Tc, Pc, rhoc);
    doc->initBoilingPanel();
    ui->type("mBoilT0", 0);
    ui->type("mBoildTdz1", 0.01);
    ui->type("mBoilH10", 3000);
    ui->type("mBoilNaCl4", 1);
    ui->type("mBoildTdz3", 5);
    ASSERT_NE(form().text("mBoilH1"), "") << form().text(MyDocument::kStatusLine);
    EXPECT_EQ(form().value("mBoilH2"), 0);  // the cold upper column does not boil
    const double P2 = 1 + 3000 * 9810e-5 + 50 * 2700 * 9.81e-5;
    EXPECT_NEAR(form().value("mBoilPtop4"), P2, 1e-6 * P2);
    ASSERT_GT(P2, Pc);
    EXPECT_NEAR(form().value("mBoilTtop4"), 30 + 50 * 5, 1e-9);
    EXPECT_NEAR(form().value("mBoilTbot4"), 30 + 50 * 5 + 100 * 5, 1e-9);
    EXPECT_GT(form().value("mBoilTbot4"), Tc);  // hotter than its critical point, and no boiling
    setLogSink(previous);
}

const char* const kBoilingResults[] = {
    "mBoilH1",    "mBoilH2",    "mBoilzTop1", "mBoilzBot1", "mBoilzTop2", "mBoilzBot2", "mBoilzTop3",
    "mBoilzBot3", "mBoilzTop4", "mBoilzBot4", "mBoilTtop2", "mBoilPtop2", "mBoilTbot2", "mBoilPbot2",
    "mBoilTbot3", "mBoilPbot3", "mBoilTtop4", "mBoilPtop4", "mBoilTbot4", "mBoilPbot4"};

// Water and dilute brines whose top pressure lies near or above the top of their bubble curve,
// in the default mode (each bubble point at the depth of a column all of its own liquid): each
// column is determined, and one shown as not boiling has its geotherm below every bubble point
// that its column places within the layer.
TEST_F(WorkbenchTest, BoilingColumnOfTheDefaultModeThatStaysBelowItsCurveDoesNotBoil) {
    const LogSink previous = setLogSink([](const std::string&) {});
    PalliserModel& model = *doc->model();
    int still = 0;
    for (double NaCl : {0.0, 0.1, 0.5}) {
        // The bubble curve ends at the critical point (water's branch at 374.15 degC).
        double Tc = 374.15, Pc = 0, rhoc = 0;
        if (NaCl > 0) model.calculateCriticalPointFromX(0.01 * NaCl, Tc, Pc, rhoc);
        for (double P0 : {200.0, 219.0, 225.0, 229.0, 232.0}) {
            for (double T0 : {20.0, 150.0, 300.0}) {
                for (double g : {0.1, 0.3, 1.0}) {
                    doc->initBoilingPanel();
                    for (auto [n, v] : {std::pair{"mBoilNaCl2", NaCl}, {"mBoilP0", P0},
                                        {"mBoilT0", T0}, {"mBoilH10", 1000.0}, {"mBoildTdz1", g}})
                        ui->type(n, v);
                    SCOPED_TRACE(::testing::Message() << NaCl << " wt %, " << P0 << " bar, " << T0
                                                      << " degC, " << g << " degC/m");
                    ASSERT_NE(form().text("mBoilH1"), "") << form().text(MyDocument::kStatusLine);
                    if (form().value("mBoilH2") != 0) continue;
                    ++still;
                    // (Dilute brines' bubble curves go on up to 1.9 K above Tc.)
                    for (double T = 100; T < Tc + 3; T += 0.25) {
                        double P = -1, xV = 0, rl = -1, rv = 0;
                        model.calculateBubblePoint(T, 0.01 * NaCl, P, xV, rl, rv);
                        if (model.failed || !(P > P0) || !(rl > 0)) continue;
                        const double depth = (P - P0) * 1e5 / (9.81 * rl);
                        if (depth > 1000) break;
                        EXPECT_LT(T0 + g * depth, T) << P << " bar";
                    }
                }
            }
        }
    }
    EXPECT_GT(still, 60);
    setLogSink(previous);
}

// A boiling zone ends where its column passes the brine's critical point, the top of its
// bubble curve: below it the fluid is supercritical, heating with the layer's gradient from the
// critical temperature, and the zones below have the column's temperatures and pressures. The
// message line says where. (Water in the default mode, whole columns of each bubble point's
// liquid, boils from 3611.91 m at 360.19 degC and 187.09 bar under 0.1 degC/m.)
TEST_F(WorkbenchTest, BoilingZoneEndsAtTheCriticalPoint) {
    const LogSink previous = setLogSink([](const std::string&) {});
    PalliserModel& model = *doc->model();
    const std::string status = MyDocument::kStatusLine;
    const double z1 = 10 + 5000;
    const auto v = [&](const char* n) { return form().value(n); };
    for (auto [NaCl, g, simple] : {std::tuple{0.0, 0.1, false}, {0.0, 0.3, false},
                                   {0.0, 0.3, true}, {3.0, 0.3, false}, {3.0, 0.3, true}}) {
        doc->initBoilingPanel();
        ui->check("mBoilUseSimple", simple);
        ui->type("mBoilNaCl2", NaCl);
        ui->type("mBoilH10", 5000);
        ui->type("mBoildTdz1", g);
        SCOPED_TRACE(::testing::Message() << NaCl << " wt %, " << g << " degC/m, " << simple);
        for (const char* n : kBoilingResults) ASSERT_NE(form().text(n), "") << n;
        EXPECT_NE(form().text(status).find("the upper layer boils from"), std::string::npos);
        EXPECT_NEAR(v("mBoilH1") + v("mBoilH2"), 5000, 1e-9);
        EXPECT_NEAR(v("mBoilzTop2") + v("mBoilH2"), v("mBoilzBot2"), 1e-6);
        ASSERT_LT(v("mBoilzBot2"), z1);
        // The zone's column, of the onset's liquid density, ends at the highest pressure at
        // which the brine has a bubble point.
        const double Pend = v("mBoilPtop2") + (v("mBoilPbot2") - v("mBoilPtop2")) *
                                                  (v("mBoilzBot2") - v("mBoilzTop2")) /
                                                  (z1 - v("mBoilzTop2"));
        double Tend = -1, T = -1, xV = 0, rl = 0, rv = 0;
        model.calculateBubblePointFromP(Pend - 0.01, 0.01 * NaCl, Tend, xV, rl, rv, 370);
        ASSERT_FALSE(model.failed) << Pend;
        model.calculateBubblePointFromP(Pend + 0.5, 0.01 * NaCl, T, xV, rl, rv, Tend);
        EXPECT_TRUE(model.failed) << Pend << " bar: " << T;
        EXPECT_NEAR(v("mBoilTbot2"), Tend + g * (z1 - v("mBoilzBot2")), 0.05);
        EXPECT_NEAR(v("mBoilTbot3"), v("mBoilTbot2") + 50 * 1.6, 1e-9);
        if (NaCl == 0 && g == 0.1) {
            EXPECT_NEAR(v("mBoilzTop2"), 3611.91, 0.01);
            EXPECT_NEAR(v("mBoilTtop2"), 360.19, 0.01);
            EXPECT_NEAR(v("mBoilPtop2"), 187.09, 0.01);
        }
    }
    // A deep layer boiling from 920 m: its rock column passes the 10 wt % brine's critical
    // pressure, and below it the layer heats by its gradient from the critical temperature.
    doc->initBoilingPanel();
    ui->type("mBoildTdz1", 0.1);
    ui->type("mBoilH4", 3000);
    ui->type("mBoildTdz3", 0.5);
    EXPECT_NE(form().text(status).find("the deep layer boils from"), std::string::npos);
    double Tc = 0, Pc = 0, rhoc = 0;
    model.calculateCriticalPointFromX(0.1, Tc, Pc, rhoc);
    const double zEnd = v("mBoilzTop4") + (Pc - v("mBoilPtop4")) * 1e5 / (9.81 * 2700);
    EXPECT_NEAR(v("mBoilTbot4"), Tc + 0.5 * (v("mBoilzBot4") - zEnd), 0.01);
    setLogSink(previous);
}

// A dilute brine's bubble curve goes on above its critical temperature to where its liquid and
// vapour meet (0.5 wt %: 381.46 degC, 234.13 bar). Regression: the panel ended it at the
// critical temperature (379.57 degC, 228.17 bar), so a column crossing the curve above that
// pressure was shown as not boiling (0.5 wt %, 219 bar, 50 degC, 1 degC/m).
TEST_F(WorkbenchTest, DiluteBrineBoilsUpToTheEndOfItsBubbleCurve) {
    const LogSink previous = setLogSink([](const std::string&) {});
    PalliserModel& model = *doc->model();
    const auto v = [&](const char* n) { return form().value(n); };
    for (bool simple : {false, true}) {
        doc->initBoilingPanel();
        ui->check("mBoilUseSimple", simple);
        for (auto [n, x] : {std::pair{"mBoilNaCl2", 0.5}, {"mBoilP0", 219.0}, {"mBoilT0", 50.0},
                            {"mBoildTdz1", 1.0}, {"mBoilH10", 2000.0}})
            ui->type(n, x);
        SCOPED_TRACE(simple);
        ASSERT_GT(v("mBoilH2"), 0) << form().text(MyDocument::kStatusLine);
        EXPECT_GT(v("mBoilPtop2"), 229.0);
        EXPECT_NEAR(v("mBoilTtop2"), 50.0 + (v("mBoilzTop2") - 10.0), 1e-6);
        double T = -1, xV = 0, rl = 0, rv = 0;
        model.calculateBubblePointFromP(v("mBoilPtop2"), 0.005, T, xV, rl, rv, 370);
        ASSERT_FALSE(model.failed);
        EXPECT_NEAR(v("mBoilTtop2"), T, 1e-3);
        // The end is named for what it is: where liquid and vapour meet, not the critical
        // point (379.568 degC, 234.164 bar).
        EXPECT_NE(form().text(MyDocument::kStatusLine)
                      .find("where liquid and vapour meet (381.459 \u00b0C, 234.134 bar"),
                  std::string::npos)
            << form().text(MyDocument::kStatusLine);
    }
    setLogSink(previous);
}

// Over water and brines, both depth modes, thin and thick layers and mild and steep
// geotherms, every result field shows a number, save the top of a boiling zone the layer does
// not have (its thickness 0), or the message line says why the column has none (and every
// field is blank). A geotherm the model has no fluid for, below 0 degC or above the critical
// temperature of NaCl where its fluids end, anywhere in the column, is refused so.
TEST_F(WorkbenchTest, BoilingFieldsAreBlankOnlyWithTheirReason) {
    const LogSink previous = setLogSink([](const std::string&) {});
    const std::string status = MyDocument::kStatusLine;
    const std::string zone2[] = {"mBoilzTop2", "mBoilzBot2", "mBoilTtop2", "mBoilPtop2"};
    auto check = [&](const char* expected) {
        const std::string why = form().text(status);
        if (form().text("mBoilH1").empty() || expected) {
            EXPECT_NE(why.find(expected ? expected : ""), std::string::npos) << why;
            EXPECT_NE(why.find("No column is computed"), std::string::npos) << why;
            for (const char* n : kBoilingResults) EXPECT_EQ(form().text(n), "") << n;
            EXPECT_EQ(countNamedPrefix("mDepthViewp", "t_"), 0);
            return 1;
        }
        const bool boils = form().value("mBoilH2") != 0;
        for (const char* n : kBoilingResults) {
            const bool ofZone2 = std::find(std::begin(zone2), std::end(zone2), n) != std::end(zone2);
            EXPECT_EQ(form().text(n).empty(), ofZone2 && !boils) << n << ": " << why;
        }
        return 0;
    };
    int refused = 0;
    for (bool simple : {false, true}) {
        for (double NaCl : {0.0, 0.5, 3.0, 25.0}) {
            for (double T0 : {0.0, 150.0}) {
                for (double g : {0.05, 0.3, 1.0}) {
                    for (double H10 : {500.0, 4000.0}) {
                        doc->initBoilingPanel();
                        ui->check("mBoilUseSimple", simple);
                        for (auto [n, v] : {std::pair{"mBoilNaCl2", NaCl}, {"mBoilT0", T0},
                                            {"mBoilH4", H10 / 2}, {"mBoildTdz3", g},
                                            {"mBoilH10", H10}, {"mBoildTdz1", g}})
                            ui->type(n, v);
                        SCOPED_TRACE(::testing::Message() << NaCl << " wt %, " << T0 << " degC, "
                                                          << g << " degC/m, " << H10 << " m, "
                                                          << simple);
                        refused += check(nullptr);
                    }
                }
            }
        }
    }
    EXPECT_EQ(refused, 16);  // 1 degC/m through 4000 m and more
    const struct {
        std::vector<std::pair<const char*, double>> inputs;
        const char* why;
    } outside[] = {
        {{{"mBoilT0", 20}, {"mBoilH10", 2000}, {"mBoildTdz1", -0.5}},
         "its geotherm reaches -980 \u00b0C at 2010 m, below 0 \u00b0C"},
        {{{"mBoilT0", -5}}, "reaches -5 \u00b0C at 10 m, below 0"},
        {{{"mBoildTdz1", -0.01}}, "reaches -2 \u00b0C at 210 m"},
        {{{"mBoildTdz3", -5}}, "below 0 \u00b0C"},
        {{{"mBoilT0", 1e6}}, "reaches 1000000 \u00b0C at 10 m, above the model's top temperature"},
        {{{"mBoilT0", 20}, {"mBoilH10", 1600}, {"mBoildTdz1", 2}}, "reaches 3220 \u00b0C at 1610 m"},
    };
    for (const auto& r : outside) {
        doc->initBoilingPanel();
        for (auto [field, v] : r.inputs) ui->type(field, v);
        SCOPED_TRACE(r.why);
        check(r.why);
    }
    ui->type("mBoildTdz1", 1.5);  // 2420 degC at the layer's bottom
    EXPECT_EQ(form().text(status), "");
    EXPECT_NE(form().text("mBoilTbot4"), "");
    setLogSink(previous);
}

// A brine holding halite at the top of its layer, or a gradient no crust has, is refused with
// its reason; the next column computed takes the reason away.
TEST_F(WorkbenchTest, BoilingColumnRefusesWhatNoColumnHas) {
    const LogSink previous = setLogSink([](const std::string&) {});
    const std::string status = MyDocument::kStatusLine;
    ui->type("mBoilT0", 134.6);
    ui->type("mBoilNaCl2", 97.7);
    EXPECT_EQ(form().text("mBoilH1"), "");
    EXPECT_EQ(form().text(status).rfind("The boiling column: the upper layer's brine of 97.7 wt %",
                                        0),
              0u)
        << form().text(status);
    ui->type("mBoilNaCl2", 9.7);
    EXPECT_NE(form().text("mBoilH1"), "");
    EXPECT_EQ(form().text(status), "");
    ui->type("mBoilNaCl4", 60);  // more than the deep layer's top dissolves
    EXPECT_EQ(form().text("mBoilH1"), "");
    EXPECT_NE(form().text(status).find("deep layer's brine of 60 wt %"), std::string::npos);
    ui->type("mBoilNaCl4", 10);
    EXPECT_EQ(form().text(status), "");
    EXPECT_FALSE(ui->type("mBoildTdz1", 802.3) && doc->refusedControl().empty());
    EXPECT_EQ(form().value("mBoildTdz1"), 1.5);
    EXPECT_NE(form().text(status).find("Upper layer gradient"), std::string::npos);
    setLogSink(previous);
}

// At fixed temperature, pressure and salinity a liquid + vapour state has the density of its
// lever rule: a density typed there is not kept, and the message line says so and why; the
// next edit takes the note away.
TEST_F(WorkbenchTest, DensityTypedInATwoPhaseStateIsNotKeptSilently) {
    const std::string status = MyDocument::kStatusLine;
    ui->type("mHaliteTm", 400);
    ui->type("mHalitePm", 250);
    ui->type("mHaliteXm", 10);
    ASSERT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kLiquidVapour);
    const double rho = form().value("mRm_edit");
    ASSERT_TRUE(ui->type("mRm_edit", 500));
    EXPECT_EQ(form().value("mRm_edit"), rho);
    EXPECT_EQ(form().text(status).rfind("The density typed (500 kg/m\u00b3) is not kept", 0), 0u)
        << form().text(status);
    EXPECT_NE(form().text(status).find(formatForDisplay(rho)), std::string::npos);
    ui->type("mHaliteTm", 401);
    EXPECT_EQ(form().text(status), "");
    // The density that the state has is taken without a word.
    ui->type("mRm_edit", form().text("mRm_edit"));
    EXPECT_EQ(form().text(status), "");
}

// The reason a state is blank stays while it is blank, whatever panel input is taken; a
// refused case-table cell's reason goes when the next cell is taken, and a cell of infinity
// is named as such.
TEST_F(WorkbenchTest, MessageLineKeepsItsReasonsAsLongAsTheyHold) {
    const LogSink previous = setLogSink([](const std::string&) {});
    const std::string status = MyDocument::kStatusLine;
    ui->type("mHaliteTm", -40);
    const std::string outside = form().text(status);
    ASSERT_NE(outside.find("outside the range of the model"), std::string::npos) << outside;
    for (auto [field, v] : {std::pair{"mIceRatio", 50.0}, {"mIceStepRatio", 60.0},
                            {"mBoilH10", 300.0}, {"mBoilStepT0", 5.0}}) {
        ASSERT_TRUE(ui->type(field, v));
        EXPECT_EQ(form().text(status), outside) << field;
    }
    ui->type("mHaliteTm", 300);
    EXPECT_EQ(form().text(status), "");

    EXPECT_FALSE(doc->tableViewSetObjectValue(doc->listView(), PlistValue("abc"), "Tm", 0));
    EXPECT_NE(form().text(status), "");
    EXPECT_TRUE(doc->tableViewSetObjectValue(doc->listView(), PlistValue(310.0), "Tm", 0));
    EXPECT_EQ(form().text(status), "");
    EXPECT_FALSE(
        doc->tableViewSetObjectValue(doc->listView(), PlistValue(INFINITY), "Tm", 0));
    EXPECT_NE(form().text(status).find("\"inf\" is not a number"), std::string::npos)
        << form().text(status);
    EXPECT_TRUE(doc->tableViewSetObjectValue(doc->listView(), PlistValue(12.0), "Xm", 0));
    EXPECT_EQ(form().text(status), "");
    setLogSink(previous);
}

// With no case the name is refused with the reason; once Add makes a case, the name is taken
// and the reason goes.
TEST_F(WorkbenchTest, NoCaseNoteGoesOnceACaseTakesTheEdit) {
    const std::string status = MyDocument::kStatusLine;
    ui->press("mDeleteButton");
    ASSERT_EQ(doc->caseCount(), 0);
    ui->type("mName", "Run");
    ASSERT_EQ(form().text(status).rfind("There is no case selected", 0), 0u);
    ui->type("mHaliteTm", 320);
    ASSERT_EQ(form().text(status).rfind("There is no case selected", 0), 0u);
    ASSERT_TRUE(ui->press("mAddButton"));
    ASSERT_TRUE(ui->type("mName", "Run"));
    EXPECT_EQ(caseAt(0).get("name").toString(), "Run");
    EXPECT_EQ(form().text(status), "");
    EXPECT_EQ(doc->refusedControl(), "");
}

// Every curve of the window's plots exports its own Igor waves: loaded together, none
// overwrites another (a curve drawn alike in two plots may share its waves).
TEST_F(WorkbenchTest, EveryCurveExportsWavesOfItsOwn) {
    std::map<std::string, std::pair<std::string, std::string>> seen;  // waves: text, owner
    int unnamed = 0;
    for (const std::string& name : MyDocument::plotNames()) {
        for (const auto& o : plot(name).graphObjects()) {
            const auto* c = dynamic_cast<const CGraphCurve*>(o.get());
            if (!c) continue;
            unnamed += c->name().empty();
            const std::string text = c->igorText();
            const std::string waves = text.substr(0, text.find("\nBEGIN"));
            const auto [at, fresh] = seen.emplace(waves, std::pair{text, name + " " + c->name()});
            if (!fresh) {
                EXPECT_EQ(text, at->second.first)
                    << waves << ": " << at->second.second << " and " << name << ' ' << c->name();
            }
        }
    }
    EXPECT_GT(unnamed, 10);
}

// The column integrated over its boiling liquid's depth ("Simple boiling model") boils where
// the model's own search with a quadrature over the column finds the geotherm on the bubble
// curve.
TEST_F(WorkbenchTest, IntegratedBoilingColumnAgreesWithTheModel) {
    const LogSink previous = setLogSink([](const std::string&) {});
    PalliserModel& model = *doc->model();
    ui->check("mBoilUseSimple", true);
    struct Column {
        double T0, g, NaCl, H10, P0 = 1;
    };
    int boiling = 0;
    for (const Column& c : {Column{0, 1.5, 3, 200}, Column{20, 0.45, 0, 1000},
                            Column{50, 0.1, 5, 3000}, Column{10, 0.25, 10, 2000},
                            Column{0, 0.04, 0, 3000}, Column{134.6, 8, 9.7, 130, 92.3}}) {
        doc->initBoilingPanel();
        ui->type("mBoilT0", c.T0);
        ui->type("mBoildTdz1", c.g);
        ui->type("mBoilNaCl2", c.NaCl);
        ui->type("mBoilH10", c.H10);
        ui->type("mBoilP0", c.P0);
        SCOPED_TRACE(::testing::Message() << c.T0 << ' ' << c.g << ' ' << c.NaCl << ' ' << c.H10);
        ASSERT_NE(form().text("mBoilH1"), "");
        double T = -1, P = -1, z = -1, rho = -1;
        model.calculateGeothermBubblePoint(c.T0, 10, c.P0, c.g, 0.01 * c.NaCl, 0, T, P, z, rho);
        if (model.failed || z > 10 + c.H10) {
            EXPECT_EQ(form().value("mBoilH2"), 0);
            continue;
        }
        ++boiling;
        EXPECT_NEAR(form().value("mBoilTtop2"), T, 2e-3);
        EXPECT_NEAR(form().value("mBoilPtop2"), P, 2e-5 * P);
        EXPECT_NEAR(form().value("mBoilzTop2"), z, 1e-5 * z);
    }
    EXPECT_GE(boiling, 3);
    setLogSink(previous);
}

// A water column from 0 degC and 1 bar at the surface, 0.1 degC/m, 5000 m deep. The default mode
// places each bubble point at the depth of a column all of that point's saturated liquid; the
// same rule solved on IAPWS-95 saturation (T = 0.1 z, z = (Psat - 1 bar) / (g rho'), g 9.81)
// boils at 3601.778 m, 360.1778 degC, 187.0605 bar (rho' 526.585 kg/m3), and IAPWS-95 gives
// 187.0904 bar at the panel's own onset temperature. Within the model's saturation (pressure
// 1e-4, liquid density 1e-3 of IAPWS-95 here) the depth agrees to 0.1 %. A column of IAPWS-95
// water itself does not boil: it passes the critical pressure at 2384 m and 238.4 degC and
// holds 309.12 bar at 3601.91 m, which is what the integrated mode finds (no boiling).
TEST_F(WorkbenchTest, WaterColumnBoilsWhereItsSaturatedLiquidColumnMeetsIAPWS95Saturation) {
    for (auto [field, value] : {std::pair{"mBoilH0", 0.0}, {"mBoilT0", 0.0}, {"mBoilP0", 1.0},
                                {"mBoilNaCl2", 0.0}, {"mBoilH3", 0.0}, {"mBoilH4", 0.0},
                                {"mBoilNaCl4", 0.0}, {"mBoildTdz1", 0.1}, {"mBoilH10", 5000.0}})
        ui->type(field, value);
    ASSERT_NE(form().text("mBoilH1"), "") << form().text(MyDocument::kStatusLine);
    const double z = form().value("mBoilzTop2"), T = form().value("mBoilTtop2"),
                 P = form().value("mBoilPtop2");
    EXPECT_NEAR(z, 3601.778, 1e-3 * 3601.778);
    EXPECT_NEAR(T, 360.1778, 0.1);
    EXPECT_NEAR(P, 187.0605, 1e-3 * 187.0605);
    EXPECT_NEAR(T, 0.1 * z, 1e-6);
    // The model's saturation pressure at its own onset, against IAPWS-95's at 360.1911 degC.
    ASSERT_NEAR(T, 360.1911, 1e-3);
    EXPECT_NEAR(P, 187.0904, 1e-4 * 187.0904);
    ui->check("mBoilUseSimple", true);
    ASSERT_NE(form().text("mBoilH1"), "") << form().text(MyDocument::kStatusLine);
    EXPECT_EQ(form().value("mBoilH2"), 0);
}

}  // namespace
}  // namespace vornex::test

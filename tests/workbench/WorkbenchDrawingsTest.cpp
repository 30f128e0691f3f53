// The phase-field drawings of the cycle and the inclusion, experimental-data, ice and boiling
// panels, with the real model.
#include <algorithm>
#include <cmath>
#include <tuple>

#include "WorkbenchTestSupport.h"
#include "numerics/DataPath.h"
#include "numerics/TextCapture.h"
#include "platform/PlatformLog.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"

namespace vornex::test {
namespace {

using Names = std::vector<const char*>;

class DrawingsTest : public WorkbenchTest {
   protected:
    bool has(const std::string& p, const char* name) const {
        return plot(p).getGraphObjectWithName(name) != nullptr;
    }
    // Present names with their kind (fields are areas, critical points markers, the rest
    // curves); absent names nowhere on the plot.
    void expectNames(const std::string& p, const Names& present, const Names& absent,
                     const std::string& where) const {
        for (const char* n : present) {
            const CGraphObject* o = plot(p).getGraphObjectWithName(n);
            const std::string name = n;
            const bool kind =
                name.find("Fil") != std::string::npos || name.find("fil") != std::string::npos
                    ? dynamic_cast<const CGraphArea*>(o) != nullptr
                : name.find("crit") != std::string::npos
                    ? dynamic_cast<const CGraphPoint*>(o) != nullptr
                    : dynamic_cast<const CGraphCurve*>(o) != nullptr;
            EXPECT_TRUE(kind) << where << ' ' << p << ' ' << n;
        }
        for (const char* n : absent) EXPECT_FALSE(has(p, n)) << where << ' ' << p << ' ' << n;
    }
    // Present on any of the state plots.
    bool anywhere(const char* name) const {
        for (const CPlotView* v : doc->caseBoundPlots())
            if (v->getGraphObjectWithName(name)) return true;
        return false;
    }
    void expectAnywhere(const Names& present, const Names& absent, double at) const {
        for (const char* n : present) EXPECT_TRUE(anywhere(n)) << at << ' ' << n;
        for (const char* n : absent) EXPECT_FALSE(anywhere(n)) << at << ' ' << n;
    }
    const CGraphCurve& curve(const std::string& p, const char* name) const {
        auto* c = dynamic_cast<const CGraphCurve*>(plot(p).getGraphObjectWithName(name));
        EXPECT_NE(c, nullptr) << name;
        static const CGraphCurve none;
        return c ? *c : none;
    }
    const std::vector<DataPoint>& area(const std::string& p, const char* name) const {
        auto* a = dynamic_cast<const CGraphArea*>(plot(p).getGraphObjectWithName(name));
        EXPECT_NE(a, nullptr) << name;
        static const std::vector<DataPoint> none;
        return a ? a->mPointsList() : none;
    }
};

void expectAt(const CurvePoint& p, double x, double y) {
    EXPECT_FLOAT_EQ(p.x, static_cast<float>(x));
    EXPECT_FLOAT_EQ(p.y, static_cast<float>(y));
}

// The state drawings at 300, 500 and 1000 degC (88 bar, 30 wt %) under each visibility flag.
TEST_F(DrawingsTest, PhaseFieldsPerTemperatureAndFlag) {
    struct Row {
        double T;
        const char* off;  // the toggle turned off, or none
        const char* plot;
        Names present, absent;
    };
    const Row rows[] = {
        {300,
         nullptr,
         "mPTViewp",
         {"t_haliteLiquidPT", "t_pthlfill", "t_pthv", "t_pthvfill", "t_ptcritx", "t_isoplg0",
          "t_isoplg1", "t_ptlgFil"},
         {"t_critPT"}},
        {300,
         nullptr,
         "mIsochoreViewp",
         {"t_haliteLiquidPT", "t_pthlfill", "t_pthvfill", "t_ptcritx", "t_ptlgFil"},
         {"t_pthv"}},
        {300,
         nullptr,
         "mRhoXViewp",
         {"t_rxhlvfill", "t_rxhlv_lv", "t_rx_hl_fill", "t_rx_hl_hl", "t_rx_hg_fill", "t_rxhg",
          "t_rxlvfill"},
         {"t_critRx"}},
        {300,
         nullptr,
         "mRhoPViewp",
         {"t_rp_slv_line", "t_rphlFill", "t_rp_hg_h", "t_rplgfill", "t_rpline"},
         {"t_critRp"}},
        {300, nullptr, "mVxViewp", {"t_vxhlv", "t_vxhlvfill", "t_vx_hg_fill", "t_vxlgfill"}, {}},
        {300, nullptr, "mRhoTxViewp", {"t_rtlg", "t_rtlgFil", "t_rtfill3", "t_rtfill4"}, {}},
        // Between water's critical temperature and the model's critical curve: no marker.
        {374, nullptr, "mPxViewp", {"t_PxlgFill"}, {"t_critPx"}},
        {500, nullptr, "mRhoPViewp", {"t_critRp", "t_rplgfill"}, {"t_rpline"}},
        {500, nullptr, "mRhoTxViewp", {"t_critRt", "t_rtlg", "t_rtcritx"}, {}},
        {1000, nullptr, "mRhoXViewp", {"t_critRx", "t_rxlvfill"}, {"t_rxhlvfill", "t_rx_hg_fill"}},
        {1000, nullptr, "mPxViewp", {"t_critPx", "t_PxlgFill"}, {"t_slv_px", "t_PxhlFill"}},
        {1000, nullptr, "mRhoTViewp", {"t_rtlg", "t_critRt"}, {}},
        {300, "onToggleShowHLV:", "mPTViewp", {"t_isoplg0"}, {"t_haliteLiquidPT", "t_pthv"}},
        {300, "onToggleShowHLV:", "mPxViewp", {"t_PxlgFill"}, {"t_slv_px", "t_GasHalPx"}},
        {300,
         "onToggleShowHL:",
         "mRhoXViewp",
         {"t_rx_hg_fill", "t_rxlvfill"},
         {"t_rxhlv_lv", "t_rx_hl_fill"}},
        {300, "onToggleShowHL:", "mTxViewp", {"t_Txslv0", "t_Txhg"}, {"t_haliq0", "t_TxhlFill0"}},
        {300, "onToggleShowHV:", "mPxViewp", {"t_PxhlFill"}, {"t_GasHalPx", "t_PxhgFill"}},
        {500, "onToggleShowLG:", "mPxViewp", {"t_PxhlFill"}, {"t_gasPx", "t_critPx"}},
        {500, "onToggleShowLG:", "mTxViewp", {"t_haliq0"}, {"t_Txlvliq0", "t_TxlgFill1"}},
    };
    for (const Row& r : rows) {
        if (r.off) {
            ASSERT_TRUE(ui->perform(r.off));
        }
        ui->type("mHaliteTm", r.T);
        expectNames(r.plot, r.present, r.absent, std::to_string(r.T) + (r.off ? r.off : ""));
        if (r.off) ui->perform(r.off);
    }
    // Each cycle replaces its temporaries.
    ui->type("mHaliteTm", 1000);
    const int before = countNamedPrefix("mRhoXViewp", "t_");
    ui->type("mHaliteTm", 1000);
    EXPECT_EQ(countNamedPrefix("mRhoXViewp", "t_"), before);
}

// The mixing curves start and end at their phases, the three-phase triangle closes, and the
// halite joins meet their isotherms' ends.
TEST_F(DrawingsTest, MixingCurvesJoinThePhasesOfTheThreePhaseState) {
    double P, xL, xV, rhoL, rhoV;
    doc->model()->calculateSLVPoint(300, P, xL, xV, rhoL, rhoV);
    const double H = doc->mRhoHalite;
    const struct {
        const char* name;
        double x0, y0, x1, y1;
    } mixes[] = {{"t_rxhlv_lv", 100 * xL, rhoL, 100 * xV, rhoV},
                 {"t_rxhlv_hv", 100, H, 100 * xV, rhoV},
                 {"t_rxhlv_hl", 100, H, 100 * xL, rhoL}};
    for (const auto& m : mixes) {
        const auto& pts = curve("mRhoXViewp", m.name).mPointsList();
        ASSERT_EQ(pts.size(), 101u) << m.name;
        expectAt(pts.front(), m.x0, m.y0);
        expectAt(pts.back(), m.x1, m.y1);
    }
    const auto& triangle = area("mRhoXViewp", "t_rxhlvfill");
    ASSERT_EQ(triangle.size(), 303u);
    EXPECT_EQ(triangle.front().x, triangle.back().x);
    EXPECT_EQ(triangle.front().y, triangle.back().y);
    const auto& hl = doc->haliteLiquidIsotherm;
    const std::size_t n = hl.size() / 3;
    expectAt(curve("mRhoXViewp", "t_rx_hl_hl").mPointsList().front(), hl[3 * n - 2], hl[3 * n - 1]);
    expectAt(curve("mRhoXViewp", "t_rxhg").mPointsList().back(), doc->haliteGasIsotherm[1],
             doc->haliteGasIsotherm[2]);
    const auto& vx = curve("mVxViewp", "t_vxhlv").mPointsList();
    ASSERT_EQ(vx.size(), 4u);
    expectAt(vx[1], 100 * xL, 1000 / rhoL);
}

// Regression: below 0 degC both halite isotherms are empty; their last and first rows were
// still read.
TEST_F(DrawingsTest, EmptyHaliteIsothermsJoinNothing) {
    ui->type("mHaliteTm", -10);
    EXPECT_TRUE(doc->haliteLiquidIsotherm.empty());
    EXPECT_TRUE(doc->haliteGasIsotherm.empty());
    expectNames("mRhoXViewp", {"t_rxhlv_lv", "t_rx_hl_fill", "t_rx_hg_fill"},
                {"t_rx_hl_hl", "t_rxhg"}, "-10");
    EXPECT_TRUE(area("mRhoXViewp", "t_rx_hl_fill").empty());
}

// The isobar below 221 bar, at 221, between 221 and 355, at 355, above the SLV maximum and
// above the critical curve.
TEST_F(DrawingsTest, IsobarCases) {
    struct Row {
        double P;
        Names present, absent;
    };
    const Row rows[] = {
        {150,
         {"t_Txslv0", "t_Txlvliq0", "t_rtsat0", "t_Txlvliq1", "t_rtsat1", "t_Txhg"},
         {"t_haliq2"}},
        // No critical temperature ends the first loop at exactly 221 bar: it is left out.
        {221, {"t_Txslv0", "t_Txlvliq1", "t_rtsat1"}, {"t_Txlvliq0", "t_rtsat0"}},
        {300, {"t_Txlvliq0", "t_Txlvliq1", "t_rtsat1"}, {"t_rtsat0"}},
        {355, {"t_Txlvliq0", "t_Txlvliq1"}, {"t_rtsat0", "t_rtsat1"}},
        {400,
         {"t_haliq2", "t_TxhlFill0", "t_rthlFill4", "t_TxlgFill", "t_rthl1"},
         {"t_Txslv0", "t_Txlvliq1"}},
        {4900, {"t_haliq2", "t_rthl1"}, {"t_TxlgFill", "t_Txslv0"}},
    };
    for (const Row& r : rows) {
        ui->type("mHalitePm", r.P);
        expectAnywhere(r.present, r.absent, r.P);
    }
    // The melting temperature is the one at the current pressure, whatever state came last.
    ui->type("mHaliteTm", 900);
    ui->type("mHalitePm", 400);
    const float Tmelt = static_cast<float>(doc->model()->getHaliteMeltingTemperature(400));
    EXPECT_EQ(curve("mRhoTViewp", "t_rthl1").mPointsList().front().x, Tmelt);
}

// Below the three-phase pressure halite meets vapour: an isobar under the curve's pressure at
// every temperature has no halite + liquid field, one under it up to near halite's melting point
// has the field only from where it crosses the curve.
TEST_F(DrawingsTest, IsobarsBelowTheThreePhasePressureDrawNoLiquidWhereThereIsNone) {
    for (const double P : {0.0001, 0.001, 0.01, 0.05}) {
        ui->type("mHalitePm", P);
        double Tcross = 800;  // the coolest temperature whose SLV pressure is P or below
        for (double T = 800; T > 700; T -= 0.01) {
            double Ps = 0, xL = 0, xV = 0, rl = 0, rv = 0;
            doc->model()->calculateSLVPoint(T, Ps, xL, xV, rl, rv);
            if (Ps > P) break;
            Tcross = T;
        }
        for (const auto& [p, name] : {std::pair{"mTxViewp", "t_TxhlFill0"},
                                      std::pair{"mTxViewp", "t_haliq2"},
                                      std::pair{"mRhoTViewp", "t_rthlFill4"}}) {
            const CGraphObject* o = plot(p).getGraphObjectWithName(name);
            if (!o) continue;
            std::vector<float> Ts;
            if (auto* a = dynamic_cast<const CGraphArea*>(o))
                for (const DataPoint& q : a->mPointsList()) Ts.push_back(q.x);
            if (auto* c = dynamic_cast<const CGraphCurve*>(o))
                for (const CurvePoint& q : c->mPointsList()) Ts.push_back(q.x);
            EXPECT_GE(Ts.size(), 2u) << P << ' ' << name;
            for (float T : Ts) EXPECT_GE(T, Tcross - 0.02) << P << " bar " << name;
        }
    }
    ui->type("mHalitePm", 0.0001);
    EXPECT_FALSE(has("mTxViewp", "t_TxhlFill0"));
    EXPECT_FALSE(has("mRhoTViewp", "t_rthlFill4"));
}

// An isobar's liquidus meets the three-phase line it starts or ends on: its liquid end there.
TEST_F(DrawingsTest, IsobarLiquidusMeetsTheThreePhaseLines) {
    for (const double P : {1.0, 50.0, 300.0, 380.0}) {
        ui->type("mHalitePm", P);
        for (const auto& [line, liquidus, atStart] :
             {std::tuple{"t_Txslv0", "t_haliq0", false}, std::tuple{"t_Txslv1", "t_haliq1", true}}) {
            SCOPED_TRACE(::testing::Message() << P << " bar " << liquidus);
            const CurvePoint slvLiquid = curve("mTxViewp", line).getPointAtIndex(1);
            const auto& points = curve("mTxViewp", liquidus).mPointsList();
            if (points.empty()) {
                ADD_FAILURE() << "no liquidus";
                continue;
            }
            const CurvePoint end = atStart ? points.front() : points.back();
            EXPECT_NEAR(end.x, slvLiquid.x, 1e-3);
            EXPECT_NEAR(end.y, slvLiquid.y, 1e-3);
        }
    }
}

// Isopleths of pure water, of 99.995 wt % (no critical temperature) and of a salinity below
// the SLV liquid range.
TEST_F(DrawingsTest, IsoplethCases) {
    EXPECT_FALSE(doc->haliteLiquidIsopleth.empty());
    struct Row {
        double X;
        Names present, absent;
    };
    const Row rows[] = {
        {0, {"t_ptcritx", "t_isoplg0", "t_rtlgFil", "t_rtslv_lg"}, {"t_rtisoplg1"}},
        {99.995,
         {"t_rtslv_lg", "t_rtfill3"},
         {"t_ptcritx", "t_isoplg0", "t_isoplg1", "t_ptlgFil", "t_rtlgFil"}},
        {10,
         {"t_ptcritx", "t_isoplg0", "t_ptlgFil", "t_rtfill3"},
         {"t_rtslv_hl", "t_rthlline", "t_rtfill4"}},
    };
    for (const Row& r : rows) {
        ui->type("mHaliteXm", r.X);
        expectAnywhere(r.present, r.absent, r.X);
    }
    // Regression: the halite-liquid isopleth of 30 wt % stood for 10 wt %, which has none.
    EXPECT_TRUE(doc->haliteLiquidIsopleth.empty());
    EXPECT_FALSE(has("mPTViewp", "t_haliteLiquidPT"));
    ui->type("mHaliteXm", 0);
    auto* crit =
        dynamic_cast<const CGraphPoint*>(plot("mPTViewp").getGraphObjectWithName("t_ptcritx"));
    ASSERT_NE(crit, nullptr);
    EXPECT_FLOAT_EQ(crit->getX(), 374.15f);
    EXPECT_FLOAT_EQ(crit->getY(), 221.0f);
}

// The vapour branch of the isopleth starts at the salinity's critical point and is made of its
// dew points up to the NaCl critical temperature (regression: from 791 degC on, 5 wt % was
// traced on a vapour edge the surface does not have there, and the trace then stopped).
TEST_F(DrawingsTest, IsoplethVapourBranchIsTheDewCurve) {
    ui->type("mHaliteXm", 5);
    const std::vector<double>& gas = doc->gasIsopleth;
    ASSERT_EQ(gas.size() % 3, 0u);
    ASSERT_GT(gas.size(), 3u * 2000);
    auto* crit =
        dynamic_cast<const CGraphPoint*>(plot("mPTViewp").getGraphObjectWithName("t_ptcritx"));
    ASSERT_NE(crit, nullptr);
    EXPECT_FLOAT_EQ(static_cast<float>(gas[0]), crit->getX());
    EXPECT_FLOAT_EQ(static_cast<float>(gas[1]), crit->getY());
    PalliserModel& m = *doc->model();
    size_t rows = 0;
    for (size_t i = 0; i < gas.size() && gas[i] < 3127.0; i += 3, ++rows) {
        double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        m.calculateLGPoint(gas[i], gas[i + 1], xL, xV, rhoL, rhoV);
        EXPECT_EQ(m.failed, 0) << gas[i];
        EXPECT_NEAR(xV, 0.05, 1e-10) << gas[i];
    }
    EXPECT_GT(rows, 2600u);  // 430 .. 3126 degC
    EXPECT_EQ(curve("mPTViewp", "t_isoplg1").mPointsList().size(), gas.size() / 3);
}

// A dew curve parted by temperatures without a dew point is drawn in pieces, none across the
// gap: 0.1 wt % from its critical point to 518 degC and again from 653 to 754 degC. Regression:
// the stretch above was not drawn.
TEST_F(DrawingsTest, IsoplethVapourStretchesAreCurvesOfTheirOwn) {
    ui->type("mHaliteXm", 0.1);
    ASSERT_EQ(doc->gasIsoplethAbove.size(), 1u);
    const std::vector<double>& above = doc->gasIsoplethAbove[0];
    ASSERT_GE(above.size(), 3u * 100);
    PalliserModel& m = *doc->model();
    for (size_t i = 0; i < above.size(); i += 3) {
        double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        m.calculateLGPoint(above[i], above[i + 1], xL, xV, rhoL, rhoV);
        EXPECT_EQ(m.failed, 0) << above[i];
        EXPECT_NEAR(xV, 0.001, 1e-12) << above[i];
    }
    const auto& first = curve("mPTViewp", "t_isoplg1").mPointsList();
    const auto& second = curve("mPTViewp", "t_isoplg1_1").mPointsList();
    ASSERT_EQ(second.size(), above.size() / 3);
    EXPECT_FLOAT_EQ(second.front().x, static_cast<float>(above[0]));
    float top = 0.0f;
    for (const CurvePoint& p : first) top = std::max(top, p.x);
    EXPECT_LT(top, 520.0f);
    EXPECT_GT(second.front().x, 650.0f);
    EXPECT_TRUE(has("mIsochoreViewp", "t_isoplg1_1"));
    EXPECT_TRUE(has("mRhoTxViewp", "t_rtisoplg1_1"));
    // A salinity whose dew curve is whole draws one piece.
    ui->type("mHaliteXm", 10);
    EXPECT_TRUE(doc->gasIsoplethAbove.empty());
    EXPECT_FALSE(has("mPTViewp", "t_isoplg1_1"));
}

// Forward results fed to the inverse give back the salinity and the bubble; the measured
// temperatures go into the case.
TEST_F(DrawingsTest, InclusionForwardAndInverse) {
    doc->selectTabViewItemAtIndex(2);
    ASSERT_TRUE(form()["mTh_edit"].holdsNumber());
    const double Th = form().value("mTh_edit"), Tm = form().value("mTm_edit");
    EXPECT_GT(Th, Tm);
    EXPECT_TRUE(has("mRhoTxViewp", "t_rtxline1"));
    EXPECT_TRUE(has("mRhoTxViewp", "t_0rtxline2"));
    doc->updateChangeCount(ChangeKind::Cleared);
    ui->type("mTmfi_edit", Tm);
    ui->type("mThfi_edit", Th);
    EXPECT_NEAR(form().value("mNaClfi_edit"), 30, 1e-3);
    EXPECT_NEAR(form().value("mBubblefi_edit"), 10, 1e-2);
    EXPECT_NEAR(doc->mXm, 30, 1e-3);
    // Regression: the measured temperatures were lost on save.
    EXPECT_NEAR(key(0, "ThLiq"), Th, 1e-9);
    EXPECT_NEAR(key(0, "TmHal"), Tm, 1e-9);
    EXPECT_NEAR(form().value("mStepThfi"), Th, 1e-9);
    EXPECT_TRUE(doc->isDocumentEdited());
    // Halite and vapour vanishing together: the inclusion with a trace of vapour, its bubble
    // and pressure at Th shown and handed to the forward side.
    ui->type("mVolumeTm_edit", 12);
    ui->type("mThfi_edit", Tm + 0.05);
    EXPECT_TRUE(form()["mNaClfi_edit"].holdsNumber());
    EXPECT_TRUE(form()["mPhfi_edit"].holdsNumber());
    EXPECT_LT(form().value("mBubblefi_edit"), 0.01);
    EXPECT_EQ(form().value("mVolumeTm_edit"), form().value("mBubblefi_edit"));
    ui->type("mThfi_edit", Tm - 5);  // no solution
    EXPECT_EQ(form().text("mNaClfi_edit"), "");
    // Regression: the inverse emptied its results without a word. The message line says why,
    // and a solved pair takes the message away again.
    const std::string status = MyDocument::kStatusLine;
    EXPECT_EQ(form().text(status).rfind("No inclusion has this Th and Tm: with Tm above Th", 0), 0u)
        << form().text(status);
    ui->type("mTmfi_edit", 200);
    ui->type("mThfi_edit", 400);  // met earlier on heating, where the bubble curve turns back
    EXPECT_EQ(form().text("mNaClfi_edit"), "");
    EXPECT_NE(form().text(status).find("homogenise earlier on heating (first at 372."),
              std::string::npos)
        << form().text(status);
    ui->type("mThfi_edit", 300);
    EXPECT_TRUE(form()["mNaClfi_edit"].holdsNumber());
    EXPECT_EQ(form().text(status).rfind("No inclusion", 0), std::string::npos);
    // Regression: an inclusion whose halite dissolves below 20 degC (Th 200, Tm 5: 26.357 wt %)
    // came back on the forward side with no Tm ("no liquid + vapour ... has 10.229 % vapour").
    ui->type("mTmfi_edit", 5);
    ui->type("mThfi_edit", 200);
    ASSERT_TRUE(form()["mNaClfi_edit"].holdsNumber());
    EXPECT_NEAR(form().value("mTm_edit"), 5, 1e-6);
    EXPECT_NEAR(form().value("mTh_edit"), 200, 1e-6);
    EXPECT_EQ(form().text(status).find("no Tm"), std::string::npos) << form().text(status);
    // Halite gone at 450 degC and no mixture of liquid and vapour there homogenising at 500.
    ui->type("mTmfi_edit", 450);
    ui->type("mThfi_edit", 500);
    EXPECT_EQ(form().text("mNaClfi_edit"), "");
    EXPECT_NE(form().text(status).find("no mixture of the model's liquid and vapour at Tm "
                                       "(450 \u00b0C) homogenises to the liquid at 500 \u00b0C."),
              std::string::npos)
        << form().text(status);
}

// An inclusion whose density the model's bubble-point liquid reaches more than once on heating
// homogenises at the first; the message line says that the model has more.
TEST_F(DrawingsTest, InclusionWithSeveralHomogenisationsSaysSo) {
    doc->selectTabViewItemAtIndex(2);
    const std::string status = MyDocument::kStatusLine;
    ui->type("mInclusionNaCl", 27);
    ui->type("mVolumeTm_edit", 25);
    EXPECT_NEAR(form().value("mTh_edit"), 374.655, 1e-3);
    EXPECT_EQ(form().text(status).rfind("The inclusion homogenises at 374.655", 0), 0u)
        << form().text(status);
    EXPECT_NE(form().text(status).find("2 times"), std::string::npos);
    ui->type("mVolumeTm_edit", 10);
    EXPECT_LT(form().value("mTh_edit"), 370.0);
    EXPECT_EQ(form().text(status).find("The inclusion homogenises"), std::string::npos)
        << form().text(status);
}

// Regression: the inclusion panel blanked the results the model has not without a word, and a
// salinity without a Tm blanked the halite-volume results too. Each missing result says why;
// the results the model has stay; a complete inclusion takes the message away.
TEST_F(DrawingsTest, InclusionPanelSaysWhichResultsItHasNot) {
    doc->selectTabViewItemAtIndex(2);
    const std::string status = MyDocument::kStatusLine;
    ui->type("mInclusionNaCl", 40);
    ui->type("mHaliteVolume", 10);
    ui->type("mVolumeTm_edit", 10);
    ASSERT_TRUE(form()["mTh_edit"].holdsNumber());
    ASSERT_TRUE(form()["mTm3_edit"].holdsNumber());
    // (Its halite dissolves at 6683 bar, above the diagram: the line says only that.)
    EXPECT_EQ(form().text(status).rfind("The halite-volume inclusion dissolves", 0), 0u)
        << form().text(status);
    // Mostly vapour when its halite dissolves near 777 degC: it never homogenises to liquid.
    ui->type("mVolumeTm_edit", 99);
    EXPECT_TRUE(form()["mTm_edit"].holdsNumber());
    EXPECT_EQ(form().text("mTh_edit"), "");
    EXPECT_TRUE(form()["mTm3_edit"].holdsNumber());
    EXPECT_EQ(form().text(status).rfind("The inclusion panel has no Th:", 0), 0u)
        << form().text(status);
    // 2 wt % is a mixture of the curve's liquid and vapour that is mostly vapour.
    ui->type("mVolumeTm_edit", 10);
    ui->type("mInclusionNaCl", 2);
    EXPECT_EQ(form().text("mTm_edit"), "");
    EXPECT_EQ(form().text("mTm3_edit"), "");
    EXPECT_EQ(form().text("mxl3_edit"), "");
    EXPECT_EQ(form().text("mTm0_edit"), "");
    EXPECT_EQ(form().text(status).rfind("The inclusion panel has no Tm0: the liquid of the halite "
                                        "+ liquid + vapour curve never holds the state's 2 wt %; no "
                                        "Tm: no liquid + vapour of 2 wt % on the halite + liquid + "
                                        "vapour curve has 10 % vapour",
                                        0),
              0u)
        << form().text(status);
    EXPECT_NE(form().text(status).find("no halite-volume results"), std::string::npos);
    ui->type("mInclusionNaCl", 40);
    ui->type("mVolumeTm_edit", 10);
    EXPECT_TRUE(form()["mTh_edit"].holdsNumber());
    // (Its halite dissolves at 6683 bar, above the diagram: the line says only that.)
    EXPECT_EQ(form().text(status).rfind("The halite-volume inclusion dissolves", 0), 0u)
        << form().text(status);
}

// A halite-volume inclusion whose halite dissolves above the diagram's 5000 bar top keeps its
// results and says that they carry the liquidus beyond the diagram; one below says nothing.
TEST_F(DrawingsTest, HaliteDissolvingAboveTheDiagramTopSaysSo) {
    doc->selectTabViewItemAtIndex(2);
    const std::string status = MyDocument::kStatusLine;
    ui->type("mInclusionNaCl", 50);
    ui->type("mVolumeTm_edit", 10);
    ui->type("mHaliteVolume", 20);
    ASSERT_TRUE(form()["mTm3_edit"].holdsNumber());
    EXPECT_GT(form().value("mPm3_edit"), 5000.0);
    EXPECT_NE(form().text(status).find("above the diagram's 5000 bar"), std::string::npos)
        << form().text(status);
    ui->type("mInclusionNaCl", 45);
    ui->type("mHaliteVolume", 10);
    ASSERT_TRUE(form()["mTm3_edit"].holdsNumber());
    EXPECT_LT(form().value("mPm3_edit"), 5000.0);
    EXPECT_EQ(form().text(status).find("above the diagram's"), std::string::npos)
        << form().text(status);
}

TEST_F(DrawingsTest, IcePanelDefaultClickAndRefusals) {
    doc->selectTabViewItemAtIndex(3);
    EXPECT_EQ(form().value("mIceKCl"), 0);
    const double w = form().value("mIceSalinity");
    double T = 0;
    doc->model()->calculateFreezingTemperature(0.01 * w, 1, T);
    EXPECT_NEAR(T, -10, 1e-6);
    const auto& pts = doc->ternaryView().points();
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_EQ(pts[0].b, 0);
    EXPECT_NEAR(pts[0].a, w, 1e-12);
    EXPECT_EQ(curve("mIceViewp", "t_iceCurve").pointCount(), 101);
    EXPECT_EQ(doc->ternaryView().curves().size(), 1u);

    ASSERT_TRUE(ui->clickTernary(10, 5));
    const double a = doc->ternaryView().mSela(), b = doc->ternaryView().mSelb();
    EXPECT_NEAR(a + b, 15, 1e-4);  // the click lands on a view point
    EXPECT_NEAR(form().value("mIceSalinity"), a + b, 1e-6);
    EXPECT_NEAR(form().value("mIceRatio"), 100 * a / (a + b), 1e-9);
    EXPECT_NEAR(form().value("mIceKCl"), b, 1e-6);
    // Regression: the water corner divided 0 by 0.
    ASSERT_TRUE(ui->clickTernary(0, 0));
    EXPECT_NEAR(form().value("mIceSalinity"), 15, 1e-5);
    EXPECT_TRUE(std::isfinite(form().value("mIceT")));
    // Regression: a failed solve drew its point and a blank salinity became 0 wt %.
    ui->type("mIceT", 5);
    EXPECT_EQ(form().text("mIceSalinity"), "");
    // Regression: and said nothing; the message goes with the next solved temperature.
    const std::string status = MyDocument::kStatusLine;
    EXPECT_EQ(form().text(status).rfind("No salinity melts ice at 5 \u00b0C with ", 0), 0u)
        << form().text(status);
    EXPECT_FALSE(has("mIceViewp", "t_icePoint"));
    EXPECT_TRUE(has("mIceViewp", "t_iceCurve"));
    EXPECT_TRUE(doc->ternaryView().points().empty());
    ASSERT_TRUE(ui->press("mIceAssignButton"));
    EXPECT_EQ(doc->mXm, 30);
    ui->type("mIceT", -10);
    EXPECT_EQ(form().text(status), "");
    ui->press("mIceAssignButton");
    EXPECT_NEAR(doc->mXm, form().value("mIceSalinity"), 1e-12);
    EXPECT_NEAR(key(0, "Xm"), doc->mXm, 1e-12);
}

// A click in the ternary view gives the temperature at which ice melts last in the brine
// clicked, and the salinity solved back from it is the brine's (a round trip through the
// model). Across the triangle: where the model has no such temperature (most of the salt-rich
// part) the panel keeps what it showed and says why, never a temperature with a blank salinity
// beside it, or one below absolute zero.
TEST_F(DrawingsTest, TernaryClicksGiveBackTheBrineOrKeepThePanel) {
    doc->selectTabViewItemAtIndex(3);
    const std::string status = MyDocument::kStatusLine;
    int solved = 0, kept = 0;
    for (double a = 0; a <= 100; a += 5)
        for (double b = 0; a + b <= 100; b += 5) {
            if (a + b == 0) continue;
            const std::string T0 = form().text("mIceT"), S0 = form().text("mIceSalinity");
            ASSERT_TRUE(ui->clickTernary(a, b));
            const double sa = doc->ternaryView().mSela(), sb = doc->ternaryView().mSelb();
            const std::string where = "click at " + std::to_string(a) + " NaCl, " +
                                      std::to_string(b) + " KCl";
            if (form().text("mIceSalinity").empty() || form().text(status).rfind("No ice", 0) == 0) {
                ++kept;
                EXPECT_EQ(form().text("mIceT"), T0) << where;
                EXPECT_EQ(form().text("mIceSalinity"), S0) << where;
                EXPECT_NE(form().text(status).find("no ice-melting temperature"), std::string::npos)
                    << where << ": " << form().text(status);
                continue;
            }
            ++solved;
            const double T = form().value("mIceT");
            EXPECT_GT(T, -273.15) << where;
            EXPECT_NEAR(form().value("mIceSalinity"), sa + sb, 1e-6 * (sa + sb)) << where;
            EXPECT_NEAR(form().value("mIceRatio"), 100 * sa / (sa + sb), 1e-9) << where;
            double w = NAN;
            doc->model()->calculateIceMeltingSalinity(T, sa / (sa + sb), w);
            EXPECT_NEAR(100 * w, sa + sb, 1e-6 * (sa + sb)) << where;
        }
    EXPECT_GT(solved, 50);
    EXPECT_GT(kept, 50);
    // On the KCl edge the NaCl share is 0, not a rounding trace or "-0".
    for (double b = 1; b <= 75; b += 1) {
        ASSERT_TRUE(ui->clickTernary(0, b));
        EXPECT_EQ(form().text("mIceRatio"), "0") << b << " wt % KCl";
    }
    // Back inside the ice field the click is taken again.
    ASSERT_TRUE(ui->clickTernary(10, 5));
    EXPECT_NEAR(form().value("mIceSalinity"), 15, 1e-4);
    EXPECT_EQ(form().text(status), "");
}

// Boiling start values, a layer that does not boil, a boiling layer whose column passes its
// brine's critical point (a depth mark where its boiling ends), a column already at its
// boiling temperature at the top, a deep layer whose column passes its brine's critical point,
// and a geotherm hotter than the model's fluids.
TEST_F(DrawingsTest, BoilingZones) {
    struct Row {
        const char* label;
        std::vector<std::pair<const char*, double>> inputs;
        int marks;
        bool boils, spinodal;
        Names blank;         // temperatures the column does not determine
        bool reachesBottom;  // the profile runs to the bottom of the deep layer
    };
    const Names below = {"mBoilTbot2", "mBoilTbot3", "mBoilTtop4", "mBoilTbot4"};
    const Row rows[] = {
        {"start", {}, 5, true, true, {}, true},
        {"no boiling", {{"mBoildTdz1", 0.1}}, 4, false, true, {}, true},
        {"past Pc2", {{"mBoilH10", 5000}, {"mBoildTdz1", 0.3}}, 6, true, true, {}, true},
        {"hot top", {{"mBoilT0", 500}}, 5, true, true, {}, true},
        {"deep past Pc4",
         {{"mBoildTdz1", 0.1}, {"mBoilH4", 3000}, {"mBoildTdz3", 0.5}},
         4,
         false,
         true,
         {},
         true},
    };
    auto text = [&](const char* n) { return form().text(n); };
    std::vector<std::string> log;
    const LogSink previous = setLogSink([&](const std::string& m) { log.push_back(m); });
    for (const Row& r : rows) {
        doc->initBoilingPanel();
        for (auto [field, v] : r.inputs) ui->type(field, v);
        log.clear();
        doc->selectTabViewItemAtIndex(5);
        SCOPED_TRACE(r.label);
        EXPECT_EQ(countNamedPrefix("mDepthViewp", "t_h"), r.marks);
        EXPECT_EQ(text("mBoilzTop4"), text("mBoilzBot3"));
        EXPECT_EQ(text("mBoilPtop4"), text("mBoilPbot3"));
        EXPECT_NE(text("mBoilPbot3"), "");
        EXPECT_EQ(has("mDepthViewp", "t_spino"), r.spinodal);
        if (r.boils) {
            EXPECT_NEAR(form().value("mBoilzBot1"), form().value("mBoilzTop2"), 1e-9);
            EXPECT_NEAR(form().value("mBoilH1") + form().value("mBoilH2"), form().value("mBoilH10"),
                        1e-9);
        } else {
            // Regression: the zone-2 depths kept the last boiling column's values.
            for (const char* n : {"mBoilzTop2", "mBoilzBot2", "mBoilTtop2", "mBoilPtop2"})
                EXPECT_EQ(text(n), "") << n;
            EXPECT_EQ(form().value("mBoilH2"), 0);
        }
        // Regression: an undetermined temperature (-1 or unset) was shown and used; the
        // fields stay blank and the profile ends where the temperatures do.
        for (const char* n : below) {
            const bool blank = std::find_if(r.blank.begin(), r.blank.end(), [&](const char* b) {
                                   return std::string(b) == n;
                               }) != r.blank.end();
            EXPECT_EQ(text(n) == "", blank) << n;
        }
        const auto& profile = curve("mDepthViewp", "t_sat0").mPointsList();
        EXPECT_EQ(profile.back().y == static_cast<float>(form().value("mBoilzBot4")),
                  r.reachesBottom);
        // The deep search writes nothing to the log (it wrote a line "tboil2 ..." each time).
        EXPECT_TRUE(log.empty()) << log.front();
    }
    ui->check("mBoilShow1", true);
    ui->check("mBoilShow2", true);
    EXPECT_TRUE(has("mDepthViewp", "t_sat1"));
    ui->type("mBoilT0", 500);
    EXPECT_TRUE(has("mDepthViewp", "t_sat2"));
    EXPECT_TRUE(has("mDepthViewp", "t_sat1"));  // the column boils from its top
    // A refused column draws nothing but leaves the plot empty of the last one.
    ui->type("mBoildTdz3", 5);
    EXPECT_EQ(countNamedPrefix("mDepthViewp", "t_"), 0);
    EXPECT_EQ(text("mBoilTbot4"), "");
    EXPECT_NE(text(MyDocument::kStatusLine), "");
    setLogSink(previous);
}

TEST_F(DrawingsTest, ExperimentalSetZeroIsDrawnAndTheOthersAreUnavailable) {
    const auto& sets = doc->experimentalSets();
    ASSERT_EQ(sets.size(), 19u);
    TableView& table = doc->experimentalTableView();
    EXPECT_EQ(doc->numberOfRowsInTableView(table), 19);
    EXPECT_EQ(doc->tableViewObjectValue(table, "status", 0).toString(), "10 rows");
    for (int k = 1; k < 19; ++k) {
        EXPECT_FALSE(sets[k].available()) << k;
        EXPECT_EQ(doc->tableViewObjectValue(table, "status", k).toString(), "unavailable");
        EXPECT_FALSE(doc->tableViewSetObjectValue(table, PlistValue(true), "select", k)) << k;
    }
    EXPECT_EQ(doc->tableViewObjectValue(table, "source", 18).toString(), "Sourirajan & Kennedy");
    ASSERT_TRUE(doc->tableViewSetObjectValue(table, PlistValue(true), "select", 0));
    ui->type("mHaliteTm", 301);  // the cycle keeps them
    auto points = [&](const char* n) {
        auto* c = dynamic_cast<const CGraphPointCurve*>(plot("mPxViewp").getGraphObjectWithName(n));
        return c ? c->mPointsList() : std::vector<DataPoint>{};
    };
    ASSERT_EQ(points("exp_px_y0").size(), 10u);
    ASSERT_EQ(points("exp_px_x0").size(), 10u);
    EXPECT_EQ(points("exp_px_x0").front().x, 37.5f);
    EXPECT_EQ(points("exp_px_y0").back().y, 85.8f);
    doc->selectExperimentalSet(0, false);
    EXPECT_EQ(countNamedPrefix("mPxViewp", "exp_"), 0);
}

// A user-installed file adds only sets that agree with the published counts and pressures.
TEST(WorkbenchExperimentalFile, SetsThatDisagreeAreRefused) {
    std::string text = "# user sets\n1 67 30 0.1\n1 98.6 1 -1\nnot a row\n";
    std::vector<ExperimentalSet> shipped = experimentalCatalogue();
    std::vector<std::string> refusals;
    ASSERT_TRUE(
        readExperimentalSets(findDataFile("h2onacl/lv-isotherms.txt"), shipped, refusals).ok());
    ASSERT_TRUE(refusals.empty());
    for (std::size_t i = 0; i < shipped[0].P.size(); ++i)
        text += "0 " + formatNumber(shipped[0].P[i]) + ' ' + formatNumber(shipped[0].liquid[i]) +
                ' ' + formatNumber(shipped[0].vapour[i] + (i == 3 ? 200 : 0)) + '\n';
    ASSERT_TRUE(writeFileAtomically("user-sets.txt", text).ok());
    std::vector<ExperimentalSet> sets = experimentalCatalogue();
    ASSERT_TRUE(readExperimentalSets("user-sets.txt", sets, refusals).ok());
    EXPECT_EQ(refusals.size(), 3u);  // the line, set 1's two rows, set 0's bad vapour
    EXPECT_FALSE(sets[0].available());
    EXPECT_FALSE(sets[1].available());
    EXPECT_FALSE(readExperimentalSets("absent.txt", sets, refusals).ok());
    MyDocument::Options options;
    options.experimentalData = {"absent.txt"};
    std::unique_ptr<MyDocument> doc;
    stdoutOf([&] { doc = HeadlessWorkbench::newDocument(options); });
    EXPECT_FALSE(doc->experimentalSets()[0].available());
}

// Set numbers run from 0 to one less than the catalogue's size: a file's row naming the
// size, or a number that is no set, is refused with its line; the table and the selection
// answer nothing past their last row.
TEST_F(DrawingsTest, SetNumbersPastTheCatalogueAreRefused) {
    std::vector<ExperimentalSet> sets = experimentalCatalogue();
    const std::size_t size = sets.size();
    std::string text;
    for (const char* k : {"19", "20", "-1", "1.5", "1e9"}) text += std::string(k) + " 67 30 0.1\n";
    ASSERT_TRUE(writeFileAtomically("past-the-end.txt", text).ok());
    std::vector<std::string> refusals;
    ASSERT_TRUE(readExperimentalSets("past-the-end.txt", sets, refusals).ok());
    ASSERT_EQ(sets.size(), size);
    ASSERT_EQ(refusals.size(), 5u);
    EXPECT_NE(refusals[0].find("line 1 is not \"set P liquid vapour\" with a set from 0 to 18"),
              std::string::npos)
        << refusals[0];
    TableView& table = doc->experimentalTableView();
    const int rows = doc->numberOfRowsInTableView(table);
    ASSERT_EQ(rows, static_cast<int>(size));
    EXPECT_FALSE(doc->selectExperimentalSet(rows, true));
    EXPECT_FALSE(doc->selectExperimentalSet(-1, true));
    EXPECT_TRUE(doc->tableViewObjectValue(table, "source", rows).toString().empty());
    EXPECT_FALSE(doc->tableViewSetObjectValue(table, PlistValue(true), "select", rows));
}

}  // namespace
}  // namespace vornex::test

// The panels of the tab view: fluid-inclusion properties, experimental data, ice and boiling.
// A failed calculation blanks its result fields; nothing the model could not compute is shown
// or drawn.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "numerics/DataPath.h"
#include "numerics/FileReader.h"
#include "numerics/Decimal.h"
#include "platform/PlatformLog.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "workbench/MyDocument.h"

namespace vornex {

namespace {

// The boiling panel's inputs: field, stepper, start value, stepper increment.
struct BoilInput {
    const char* field;
    const char* stepper;
    double start;
    double increment;
};
const BoilInput kBoilInputs[] = {
    {"mBoilH0", "mBoilStepH0", 10, 1},
    {"mBoilT0", "mBoilStepT0", 0, 1},
    {"mBoilP0", "mBoilStepP0", 1, 1},
    {"mBoilH10", "mBoilStepH10", 200, 1},
    {"mBoildTdz1", "mBoilStepdTdz1", 1.5, 0.01},
    {"mBoilNaCl2", "mBoilStepNaCl2", 3, 1},
    {"mBoilGas2", "mBoilStepGas2", 0, 1},
    {"mBoilH3", "mBoilStepH3", 50, 1},
    {"mBoildTdz3", "mBoilStepdTdz3", 1.6, 0.01},
    {"mBoilRho3", "mBoilStepRho3", 2700, 1},
    {"mBoilH4", "mBoilStepH4", 100, 1},
    {"mBoilNaCl4", "mBoilStepNaCl4", 10, 1},
};
const char* const kBoilResults[] = {"mBoilH1",    "mBoilH2",    "mBoilzTop1", "mBoilzBot1",
                                    "mBoilzTop2", "mBoilzBot2", "mBoilzTop3", "mBoilzBot3",
                                    "mBoilzTop4", "mBoilzBot4", "mBoilTtop2", "mBoilPtop2",
                                    "mBoilTbot2", "mBoilPbot2", "mBoilTbot3", "mBoilPbot3",
                                    "mBoilTtop4", "mBoilPtop4", "mBoilTbot4", "mBoilPbot4"};

const char* const kInclusionForward[] = {"mInclusionNaCl", "mStepInclusionNaCl", "mVolumeTm_edit",
                                         "mStepTmVol",     "mHaliteVolume",      "mStepHaliteVol"};
const char* const kInclusionInverse[] = {"mThfi_edit", "mStepThfi", "mTmfi_edit", "mStepTmfi"};
const char* const kInclusionResults[] = {
    "mTm0_edit",     "mTh0_edit",   "mInclusionRho0", "mPh0_edit",      "mTm_edit",
    "mInclusionRho", "mPm_edit",    "mTh_edit",       "mPh_edit",       "mTm3_edit",
    "mPh3_edit",     "mInclusionRho3", "mPm3_edit",   "mTh3_edit",      "mxl3_edit",
    "mNaClfi_edit",  "mRhofi_edit", "mBubblefi_edit", "mPhfi_edit",     "mPmfi_edit"};
const char* const kIceInputs[] = {"mIceT", "mIceStepT", "mIceRatio", "mIceStepRatio"};

bool named(const Control* c, const char* name) {
    return c && c->name == name;
}

// A value into a field, or a blank field for a value that was not computed.
void show(Form& form, const char* name, double v) {
    if (std::isfinite(v))
        form.setDouble(name, v);
    else
        form.clear(name);
}

void addPoints(CGraphCurve& c, std::initializer_list<std::pair<double, double>> points) {
    for (auto [x, y] : points) c.addPoint(static_cast<float>(x), static_cast<float>(y), false);
}

// Two red markers at (Ta, rho) and (Tb, rho) joined by a segment: the temperatures at which
// an inclusion's phases vanish, at its bulk density.
void markInclusion(CPlotView* view, double Ta, double Tb, double rho, int markerA, int markerB,
                   const char* nameA, const char* nameB, const char* line) {
    if (!view) return;
    const Color red = Color::red();
    view->plotPoint(Ta, rho, markerA, red)->setName(nameA);
    view->plotPoint(Tb, rho, markerB, red)->setName(nameB);
    auto segment = std::make_unique<CGraphCurve>();
    addPoints(*segment, {{Ta, rho}, {Tb, rho}});
    segment->setName(line);
    view->add(std::move(segment));
}

}  // namespace

void MyDocument::buildPanelForm() {
    for (const char* n : kInclusionForward) mForm[n].action = "onCalculateInclusionProperties:";
    for (const char* n : kInclusionInverse) mForm[n].action = "onCalculateThTm:";
    for (const char* n : kIceInputs) mForm[n].action = "onCalculateIceSalinity:";
    mForm.add("mIceAssignButton", "onAssignIceSalinity:").title = "Assign";
    for (const char* n : kInclusionForward) mForm[n].tab = "halite";
    for (const char* n : kInclusionInverse) mForm[n].tab = "halite";
    for (const char* n : kInclusionResults) mForm[n].tab = "halite";
    for (const char* n : kIceInputs) mForm[n].tab = "ice";
    for (const char* n : {"mIceAssignButton", "mIceSalinity", "mIceNaCl", "mIceKCl"})
        mForm[n].tab = "ice";
    Control& panel = mForm.add("mExpPanel");
    panel.title = "Experimental Data";
    panel.hidden = true;
    for (const BoilInput& b : kBoilInputs) {
        mForm.add(b.field, "onCalculateBoiling:");
        mForm.add(b.stepper, "onCalculateBoiling:");
    }
    for (const char* n : {"mBoilUseSimple", "mBoilShow1", "mBoilShow2"})
        mForm.add(n, "onCalculateBoiling:");
    for (const char* n : kBoilResults) mForm.add(n).editable = false;
    for (const BoilInput& b : kBoilInputs) mForm[b.field].tab = mForm[b.stepper].tab = "boiling";
    for (const char* n : {"mBoilUseSimple", "mBoilShow1", "mBoilShow2"}) mForm[n].tab = "boiling";
    for (const char* n : kBoilResults) mForm[n].tab = "boiling";
}

void MyDocument::mirrorPair(Control* sender, const char* field, const char* stepper) {
    if (named(sender, stepper) && sender->holdsNumber()) mForm.setDouble(field, sender->value);
    if (named(sender, field) && sender->holdsNumber()) mForm.setDouble(stepper, sender->value);
}

double MyDocument::bubbleTemperature(double P, double x, double Tguess) const {
    double T = -1, xV = 0, rhoL = 0, rhoV = 0;
    mModel->calculateBubblePointFromP(P, x, T, xV, rhoL, rhoV, Tguess);
    return mModel->failed || !std::isfinite(T) || T < 0 ? NAN : T;
}

bool MyDocument::bubbleCurveEnd(double x, double Tc, BubbleCurveEnd& end) const {
    // Dilute brines' bubble curves go on a little above their critical temperature, to where
    // the surface's top reaches their salinity.
    double T = 0.0, P = -1.0, rhoL = 0.0;
    if (!mModel->bubbleCurveEndPoint(x, Tc, T, P, rhoL)) return false;
    end = {T, P};
    return true;
}

MyDocument::BoilingOnset MyDocument::boilingOnset(double Ttop, double ztop, double Ptop,
                                                 double gradient, double x,
                                                 const BubbleCurveEnd& end, double rhoColumn,
                                                 double zbottom) const {
    BoilingOnset onset;
    if (!(Ptop < end.P)) {
        // At or above the top of the bubble curve no liquid boils, and the pressure only
        // grows downward.
        if (end.P > 0) onset.kind = BoilingOnset::None;
        return onset;
    }
    // Bubble temperature at the top of the layer, where the pressure is lowest. The solve
    // needs a start near the root; the geotherm's own temperature may be far.
    double Tboil = -1, xV = 0, rhoL = 0, rhoV = 0;
    bool solved = false;
    for (double guess : {Ttop, 100.0, 200.0, 300.0}) {
        if (!(guess > 0)) continue;
        mModel->calculateBubblePointFromP(Ptop, x, Tboil, xV, rhoL, rhoV, guess);
        solved = !mModel->failed && std::isfinite(Tboil) && Tboil >= 0 && rhoL > 0;
        if (solved) break;
    }
    if (!solved) return onset;
    if (Ttop >= Tboil) {
        // Already at the boiling temperature: the layer boils from its top.
        onset = {BoilingOnset::Boils, Tboil, Ptop, ztop, rhoColumn > 0 ? rhoColumn : rhoL};
        return onset;
    }
    // The pressure grows downward and the bubble temperature with it: a geotherm that stays
    // below the top's bubble temperature never boils in the layer.
    const double Tbottom = Ttop + gradient * (zbottom - ztop);
    if (std::max(Ttop, Tbottom) < Tboil) {
        onset.kind = BoilingOnset::None;
        return onset;
    }
    if (!(rhoColumn > 0))
        return walkedOnset(Ttop, ztop, Ptop, gradient, x, Tboil, rhoL, zbottom, end,
                           rhoColumn == 0);
    double T = -1, P = -1, z = -1, rho = -1;
    mModel->calculateGeothermBubblePoint(Ttop, ztop, Ptop, gradient, x, rhoColumn, T, P, z, rho);
    if (!mModel->failed && T >= 0 && rho > 0 && std::isfinite(z) && std::isfinite(P) &&
        z >= ztop) {
        if (z > zbottom)
            onset.kind = BoilingOnset::None;
        else
            onset = {BoilingOnset::Boils, T, P, z, rho};
        return onset;
    }
    // The model's search starts near the critical point and can miss a shallow crossing:
    // bisect the depth between the top (below the bubble curve) and the bottom, in a column
    // of the density given.
    auto pressureAt = [&](double depth) { return Ptop + rhoColumn * 9.81 * (depth - ztop) * 1e-5; };
    // Geotherm minus bubble temperature; NaN where the bubble point is not found.
    auto excess = [&](double depth, double& Tbubble) -> double {
        double xv = 0, rv = 0, rl = 0;
        Tbubble = -1;
        mModel->calculateBubblePointFromP(pressureAt(depth), x, Tbubble, xv, rl, rv, Tboil);
        if (mModel->failed || !std::isfinite(Tbubble) || Tbubble < 0) return NAN;
        return Ttop + gradient * (depth - ztop) - Tbubble;
    };
    double Tlo = 0, Thi = 0;
    // No liquid boils above the top of the bubble curve: the bracket ends where the column
    // reaches it. Close to that pressure the bubble point may not be found; the bracket then
    // ends at the deepest depth above it where it is.
    const double zend = std::min(zbottom, ztop + (end.P - Ptop) * 1e5 / (rhoColumn * 9.81));
    double hi = zend, fbottom = NAN;
    for (double share : {1.0, 0.999, 0.99, 0.95, 0.9, 0.75, 0.5}) {
        hi = ztop + share * (zend - ztop);
        fbottom = excess(hi, Thi);
        if (!std::isnan(fbottom)) break;
    }
    if (std::isnan(fbottom)) return onset;
    // Below the bracket the bubble temperature only grows towards the critical one: a
    // geotherm that stays below the bracket's bottom bubble temperature down to zend does not
    // boil there either.
    const double TgeoEnd = std::max(Ttop + gradient * (hi - ztop), Ttop + gradient * (zend - ztop));
    if (fbottom < 0 && TgeoEnd < Thi) {
        onset.kind = BoilingOnset::None;
        return onset;
    }
    if (fbottom < 0) return onset;
    double lo = ztop;
    for (int i = 0; i < 60 && hi - lo > 1e-6; ++i) {
        const double mid = 0.5 * (lo + hi);
        const double f = excess(mid, Tlo);
        if (std::isnan(f)) return onset;
        if (f < 0) {
            lo = mid;
        } else {
            hi = mid;
            Thi = Tlo;
        }
    }
    onset = {BoilingOnset::Boils, Thi, pressureAt(hi), hi, rhoColumn};
    return onset;
}

// One walk up the bubble curve from the top's bubble temperature gives the depth of every
// bubble point on the way, until the geotherm reaches the curve, the layer ends or the curve
// does; the crossing is then bisected within its step. The integrated column's depth grows
// with the pressure by dP / (g rhoL), rhoL the bubble-point liquid at each pressure (each step
// integrated from its two ends); the default column puts each bubble point at the depth of a
// column all of that point's liquid density, as the model's geotherm search does. Each bubble
// point is computed once, where a search in temperature with a quadrature of its own for every
// trial would solve the same bubble points again and again, and a geotherm that stays below
// the curve down to the layer's bottom or the curve's end is found not to boil.
MyDocument::BoilingOnset MyDocument::walkedOnset(double Ttop, double ztop, double Ptop,
                                                 double gradient, double x, double Tboil,
                                                 double rhoBoil, double zbottom,
                                                 const BubbleCurveEnd& end, bool integrated) const {
    BoilingOnset onset;
    if (!(end.T > Tboil)) return onset;
    constexpr double kStep = 0.5;  // K along the bubble curve
    struct Point {
        double T, P, rho, z;
    };
    auto bubble = [&](double T, Point& p) {
        double xV = 0, rhoV = 0;
        p.T = T;
        mModel->calculateBubblePoint(T, x, p.P, xV, p.rho, rhoV);
        return !mModel->failed && std::isfinite(p.P) && p.rho > 0;
    };
    auto deeper = [&](const Point& a, Point& b) {
        b.z = integrated ? a.z + 0.5 * (b.P - a.P) * 1e5 / 9.81 * (1 / a.rho + 1 / b.rho)
                         : ztop + (b.P - Ptop) * 1e5 / (9.81 * b.rho);
    };
    auto excess = [&](const Point& p) { return Ttop + gradient * (p.z - ztop) - p.T; };
    Point a{Tboil, Ptop, rhoBoil, ztop};
    for (double T = Tboil + kStep;; T += kStep) {
        Point b{};
        const bool last = T >= end.T;
        if (!bubble(last ? end.T : T, b)) return onset;
        deeper(a, b);
        if (excess(b) >= 0) {
            Point lo = a, hi = b;
            for (int i = 0; i < 50 && hi.T - lo.T > 1e-9; ++i) {
                Point mid{};
                if (!bubble(0.5 * (lo.T + hi.T), mid)) return onset;
                deeper(a, mid);
                (excess(mid) >= 0 ? hi : lo) = mid;
            }
            if (hi.z > zbottom)
                onset.kind = BoilingOnset::None;
            else
                onset = {BoilingOnset::Boils, hi.T, hi.P, hi.z, hi.rho};
            return onset;
        }
        // Below the layer, or past the curve's end at the critical point, no liquid boils.
        if (b.z > zbottom || last) {
            onset.kind = BoilingOnset::None;
            return onset;
        }
        a = b;
    }
}

// ----- Fluid-inclusion properties ---------------------------------------------------------------

namespace {

constexpr const char* kHomogenisationNote = "The inclusion homogenises";
constexpr const char* kNoInclusionNote = "No inclusion has this Th and Tm: ";
constexpr const char* kNoResultNote = "The inclusion panel has ";
// Before the halite of the halite-volume results dissolves, its liquid passes the diagram's top.
constexpr const char* kBeyondDiagramNote = "The halite-volume inclusion dissolves its halite at ";
constexpr const char* kNoIceNote = "No salinity melts ice at ";
constexpr const char* kMetastableIceNote = "Below the eutectic";

// The eutectic temperature (degC) below which no brine of that NaCl share of the salt keeps
// ice as its last solid: H2O-NaCl at the model's own melting temperature of 23.2 wt % (the
// eutectic salinity), H2O-KCl at -10.7 degC and, for every mixture, the H2O-NaCl-KCl
// eutectic at -22.9 degC (Hall, Sterner & Bodnar 1988) as the least.
double eutecticTemperature(Palliser& model, double share) {
    if (share <= 0.0) return -10.7;
    if (share < 1.0) return -22.9;
    double T = NAN;
    model.calculateFreezingTemperature(0.232, 1.0, T);
    return T;
}

// Why the (Th, Tm) inverse has no answer.
std::string thTmRefusal(const Palliser& model, double Th, double Tm) {
    using Why = Palliser::ThTmOutcome;
    const std::string th = formatForDisplay(Th) + " \u00b0C",
                      tm = formatForDisplay(Tm) + " \u00b0C";
    switch (model.thTmOutcome) {
        case Why::OutsideTheModel:
            return "halite dissolves on the model's halite + liquid + vapour curve only from 0 "
                   "to 800 \u00b0C.";
        case Why::HaliteAfterBubble:
            return "with Tm above Th the halite dissolves after the bubble; this calculation "
                   "takes halite dissolving first (the halite-volume results give the other "
                   "kind).";
        case Why::NoSuchInclusion:
            return "no mixture of the model's liquid and vapour at Tm (" + tm +
                   ") homogenises to the liquid at " + th + ".";
        case Why::HomogenisesEarlier:
            return "the model's mixtures at Tm whose liquid is on its bubble curve at " + th +
                   " homogenise earlier on heating (first at " +
                   formatForDisplay(model.thTmEarlierTh) +
                   " \u00b0C): between 374 and about 415 \u00b0C, and just below the critical "
                   "point of brines of 26 wt % and more, the model's bubble-point liquid "
                   "density falls and rises again.";
        case Why::Solved:
        case Why::SearchFailed:
            break;
    }
    return "the search for the inclusion failed.";
}

}  // namespace

void MyDocument::onCalculateInclusionProperties(Control* sender) {
    mirrorPair(sender, "mVolumeTm_edit", "mStepTmVol");
    mirrorPair(sender, "mHaliteVolume", "mStepHaliteVol");
    if (named(sender, "mInclusionNaCl") || named(sender, "mStepInclusionNaCl")) {
        // The salinity is the current state's: the recompute brings the results back here.
        if (!sender->holdsNumber() || sender->value < 0 || sender->value > 100) return;
        const double X = sender->value;
        if (densityFixed() && X != mXm) {
            // The state's salinity follows the fixed density: the field shows the state's.
            for (const char* n : {"mInclusionNaCl", "mStepInclusionNaCl"}) mForm.setDouble(n, mXm);
            sayDensityFixed({"the inclusion's salinity of ", formatForDisplay(X),
                             " wt % is not taken as the state's; untick Fixed density to take "
                             "it."});
            onCalculateInclusionProperties(nullptr);
            return;
        }
        mForm.setDouble("mInclusionNaCl", X);
        mForm.setDouble("mStepInclusionNaCl", X);
        mForm.setDouble("mHaliteXm", X);
        onChangeFluidParameter(&mForm["mHaliteXm"]);
        return;
    }
    const char* const group0[] = {"mTm0_edit", "mTh0_edit", "mInclusionRho0", "mPh0_edit"};
    const char* const laterGroups[] = {"mTm_edit",  "mInclusionRho", "mPm_edit",  "mTh_edit",
                                       "mPh_edit",  "mTm3_edit",     "mPh3_edit", "mInclusionRho3",
                                       "mPm3_edit", "mTh3_edit",     "mxl3_edit"};
    auto blank = [this](auto& names) {
        for (const char* n : names) mForm.clear(n);
    };
    if (mRhoTxViewp) {
        mRhoTxViewp->removeGraphObjectWithKindOfName("t_rtx");
        mRhoTxViewp->removeGraphObjectWithKindOfName("t_0rt");
    }
    const Control &salt = mForm["mInclusionNaCl"], &bubble = mForm["mVolumeTm_edit"],
                  &crystal = mForm["mHaliteVolume"];
    auto fraction = [](const Control& c) {
        return c.holdsNumber() && c.value >= 0 && c.value <= 100;
    };

    // The notes on a second homogenisation and on results the model has not belong to the
    // inclusion shown now.
    std::string note, missing, beyond;
    auto lacks = [&missing](const std::string& why) {
        missing += (missing.empty() ? "" : "; ") + why;
    };
    double rho0 = 0, P0 = 0;
    // 0 degC is a dissolution temperature (26.35 wt %): the flag tells a failure.
    const double Tm0 = mModel->calculateTm0(0.01 * mXm, rho0, P0);
    if (!mModel->failed) {
        for (const char* n : {"mTm0_edit", "mTh0_edit"}) mForm.setDouble(n, Tm0);
        mForm.setDouble("mInclusionRho0", rho0);
        mForm.setDouble("mPh0_edit", P0);
    } else {
        blank(group0);
        lacks("no Tm0: the liquid of the halite + liquid + vapour curve never holds the state's " +
              formatForDisplay(mXm) + " wt %");
    }
    const double T0 = Tm0 > 0 ? Tm0 : 0.0;
    if (!fraction(salt) || !fraction(bubble) || !fraction(crystal)) {
        blank(laterGroups);
        std::string which;
        for (auto [c, name] : {std::pair{&salt, "NaCl"}, {&bubble, "bubble volume"},
                               {&crystal, "halite volume"}})
            if (!fraction(*c)) which.append(which.empty() ? "" : ", ").append(name);
        lacks(joined({"no Tm, Th or halite-volume results: its ", which,
                      " is not a share from 0 to 100 %"}));
        setNote(Note::Inclusion, joined({kNoResultNote, missing, "."}));
        if (mRhoTxViewp) mRhoTxViewp->setNeedsDisplay(true);
        return;
    }
    const double x = 0.01 * salt.value;
    const std::string ofX = " of " + formatForDisplay(salt.value) + " wt %";

    double rho = 0, Pm = 0;
    const double Tm = mModel->calculateTm(x, 0.01 * bubble.value, T0 + 0.01, rho, Pm);
    // Halite dissolves from 0 degC: the flag tells a failure.
    const bool haveTm = !mModel->failed;
    if (haveTm) {
        mForm.setDouble("mTm_edit", Tm);
        mForm.setDouble("mInclusionRho", rho);
        mForm.setDouble("mPm_edit", Pm);
    } else {
        for (const char* n : {"mTm_edit", "mInclusionRho", "mPm_edit"}) mForm.clear(n);
        lacks("no Tm: no liquid + vapour" + ofX + " on the halite + liquid + vapour curve has " +
              formatForDisplay(bubble.value) + " % vapour");
    }
    // Heated from Tm, where its halite has just dissolved into liquid + vapour.
    double Ph = 0, Th = 0;
    if (haveTm) Th = mModel->calculateThLiq(x, rho, Tm, Ph);
    if (haveTm && !mModel->failed) {
        mForm.setDouble("mTh_edit", Th);
        mForm.setDouble("mPh_edit", Ph);
        markInclusion(mRhoTxViewp, Tm, Th, rho, 6, 7, "t_rtxpoint0", "t_rtxpoint1", "t_rtxline1");
        const int crossings = mModel->countHomogenisationsToLiquid(x, rho, Tm);
        if (crossings > 1)
            note = std::string(kHomogenisationNote) + " at " + formatForDisplay(Th) +
                   " \u00b0C on heating. Further up the model has it split into liquid and "
                   "vapour again (where its bubble-point liquid grows denser again, or near "
                   "its critical point) and homogenise " +
                   std::to_string(crossings) + " times in all; the first is the one observed.";
    } else {
        mForm.clear("mTh_edit");
        mForm.clear("mPh_edit");
        if (haveTm)
            lacks("no Th: the liquid of the model's inclusion does not reach its bubble curve on "
                  "heating from Tm");
    }

    double rho3 = 0, Th3 = 0, xl3 = 0, Ph3 = 0, Pm3 = 0;
    const double Tm3 = mModel->calculateTm3(x, 0.01 * crystal.value, 20, rho3, Th3, xl3, Ph3, Pm3);
    if (Tm3 > 0) {
        mForm.setDouble("mTm3_edit", Tm3);
        mForm.setDouble("mPh3_edit", Ph3);
        mForm.setDouble("mInclusionRho3", rho3);
        mForm.setDouble("mPm3_edit", Pm3);
        mForm.setDouble("mTh3_edit", Th3);
        mForm.setDouble("mxl3_edit", 100 * xl3);
        markInclusion(mRhoTxViewp, Th3, Tm3, rho3, 5, 5, "t_0rtxpoint2", "t_0rtxpoint3",
                      "t_0rtxline2");
        if (mModel->tm3BeyondDiagram)
            beyond = std::string(kBeyondDiagramNote) +
                    formatForDisplay(Pm3) + " bar, above the diagram's " +
                    formatForDisplay(Palliser::kDiagramMaxPressure) +
                    " bar: its Tm3 and Pm3 carry the liquidus beyond the pressures it is drawn "
                    "for.";
    } else {
        for (const char* n :
             {"mTm3_edit", "mPh3_edit", "mInclusionRho3", "mPm3_edit", "mTh3_edit", "mxl3_edit"})
            mForm.clear(n);
        lacks("no halite-volume results: no halite + liquid" + ofX +
              " on the halite + liquid + vapour curve has " + formatForDisplay(crystal.value) +
              " % halite, or its liquid meets no liquidus");
    }
    if (!missing.empty())
        note += (note.empty() ? "" : " ") + std::string(kNoResultNote) + missing + ".";
    if (!beyond.empty()) note += (note.empty() ? "" : " ") + beyond;
    setNote(Note::Inclusion, note);
    if (mRhoTxViewp) mRhoTxViewp->setNeedsDisplay(true);
}

void MyDocument::onCalculateThTm(Control* sender) {
    mirrorPair(sender, "mThfi_edit", "mStepThfi");
    mirrorPair(sender, "mTmfi_edit", "mStepTmfi");
    const Control &ThField = mForm["mThfi_edit"], &TmField = mForm["mTmfi_edit"];
    // The measured temperatures belong to the selected case, and so to the document file.
    if (sender && ThField.holdsNumber() && TmField.holdsNumber()) {
        mThLiq = ThField.value;
        mTmHal = TmField.value;
        if (PlistValue* c = selectedCase()) {
            c->set("ThLiq", mThLiq);
            c->set("TmHal", mTmHal);
            updateChangeCount(ChangeKind::Done);
        }
    }
    double x = 0, v = NAN;
    if (!showThTmResults(x, v)) return;
    if (std::isfinite(v)) {
        mForm.setDouble("mVolumeTm_edit", 100 * v);
        mForm.setDouble("mStepTmVol", 100 * v);
    }
    mForm.setDouble("mInclusionNaCl", 100 * x);
    onCalculateInclusionProperties(&mForm["mInclusionNaCl"]);
}

bool MyDocument::showThTmResults(double& x, double& v) {
    const Control &ThField = mForm["mThfi_edit"], &TmField = mForm["mTmfi_edit"];
    const char* const results[] = {"mNaClfi_edit", "mRhofi_edit", "mBubblefi_edit", "mPhfi_edit",
                                   "mPmfi_edit"};
    if (!ThField.holdsNumber() || !TmField.holdsNumber()) {
        for (const char* n : results) mForm.clear(n);
        return false;
    }
    const double Th = ThField.value, Tm = TmField.value;
    double rho = 0, Pm = NAN, Ph = NAN;
    x = 0;
    v = NAN;
    mModel->calculateFromThTm(Th, Tm, x, rho, mForm.value("mTm_edit"), mForm.value("mTh_edit"),
                              0.01 * mForm.value("mInclusionNaCl"), mForm.value("mInclusionRho"),
                              Pm, Ph, v);
    if (mModel->failed || !(std::isfinite(x) && x > 0 && x <= 1) ||
        !(std::isfinite(rho) && rho > 0)) {
        for (const char* n : results) mForm.clear(n);
        setNote(Note::ThTm, std::string(kNoInclusionNote) + thTmRefusal(*mModel, Th, Tm));
        return false;
    }
    setNote(Note::ThTm, "");
    mForm.setDouble("mNaClfi_edit", 100 * x);
    mForm.setDouble("mRhofi_edit", rho);
    show(mForm, "mPmfi_edit", Pm);
    // Halite and vapour vanishing together are one inclusion of the model as well, with the
    // trace of vapour that makes its bubble vanish at Th: its bubble goes to the forward side
    // like any other, so that both sides show the same inclusion.
    show(mForm, "mPhfi_edit", Ph);
    show(mForm, "mBubblefi_edit", 100 * v);
    return true;
}

// ----- Experimental data
// --------------------------------------------------------------------------

void MyDocument::createExperimentalDictionary() {
    mExpDict = experimentalCatalogue();
    for (const std::string& name : mOptions.experimentalData) {
        const bool shipped = &name == &mOptions.experimentalData.front();
        // Something at the file's name in the working folder that is no regular file is the
        // user's, and stands in for the file: it is said, never passed over for another folder's.
        if (const std::string odd = describeNonRegular(name); !odd.empty()) {
            logMessage("The experimental data file \"" + name + "\" in the working folder is " +
                       odd + ", which is not read" +
                       (shipped ? "; its data sets are listed as unavailable." : "."));
            continue;
        }
        const std::string path = findDataFile(name);
        std::vector<std::string> refusals;
        const IoResult r = readExperimentalSets(path, mExpDict, refusals);
        // Only the shipped file is expected; a missing user file is the usual case.
        if (!r.ok() && shipped)
            logMessage("The experimental data file \"" + name + "\" could not be read (" +
                       r.message + "); its data sets are listed as unavailable.");
        for (const std::string& why : refusals) logMessage(why);
    }
    for (const char* column : {"source", "data", "type", "select", "status"})
        mExpTableView.addColumn(column, std::string(column) == "select");
    mExpTableView.reloadData(static_cast<int>(mExpDict.size()));
}

bool MyDocument::selectExperimentalSet(int k, bool on) {
    if (k < 0 || k >= static_cast<int>(mExpDict.size()) || !mExpDict[k].available()) return false;
    mExpDict[k].select = on;
    plotExperimentalData();
    return true;
}

void MyDocument::plotExperimentalData() {
    if (!mPxViewp) return;
    mPxViewp->removeGraphObjectWithKindOfName("exp_");
    for (std::size_t k = 0; k < mExpDict.size(); ++k) {
        const ExperimentalSet& s = mExpDict[k];
        if (!s.select) continue;
        auto vapour = std::make_unique<CGraphPointCurve>();
        auto liquid = std::make_unique<CGraphPointCurve>();
        for (std::size_t i = 0; i < s.P.size(); ++i) {
            const float P = static_cast<float>(s.P[i]);
            if (s.vapour[i] != -1) vapour->addPoint(static_cast<float>(s.vapour[i]), P, 0);
            liquid->addPoint(static_cast<float>(s.liquid[i]), P, 0);
        }
        const int marker = static_cast<int>(k % 12);
        vapour->setName("exp_px_y" + std::to_string(k));
        vapour->setSelector(marker);
        mPxViewp->add(std::move(vapour));
        liquid->setName("exp_px_x" + std::to_string(k));
        liquid->setSelector(marker);
        mPxViewp->add(std::move(liquid));
    }
    mPxViewp->setNeedsDisplay(true);
}

void MyDocument::onShowExperimentalPanel() {
    mForm["mExpPanel"].hidden = false;
}

// ----- Ice
// ------------------------------------------------------------------------------------------

void MyDocument::onCalculateIceSalinity(Control* sender) {
    if (!mTernaryView || !mIceViewp) return;
    mTernaryView->purge();
    mirrorPair(sender, "mIceT", "mIceStepT");
    mirrorPair(sender, "mIceRatio", "mIceStepRatio");
    const Control &TField = mForm["mIceT"], &ratio = mForm["mIceRatio"];
    const double T = TField.value, r = 0.01 * ratio.value;
    const bool input = TField.holdsNumber() && ratio.holdsNumber() && r >= 0 && r <= 1;
    double w = NAN;
    if (input) mModel->calculateIceMeltingSalinity(T, r, w);
    const bool solved = input && !mModel->failed && std::isfinite(w) && w > -1e-9 && w < 1;
    // At 0 degC the solve ends a rounding trace away from pure water.
    if (solved) w = withoutRoundingTraces(w);
    if (solved) {
        mForm.setDouble("mIceSalinity", 100 * w);
        mForm.setDouble("mIceNaCl", 100 * r * w);
        mForm.setDouble("mIceKCl", 100 * (1 - r) * w);
        mTernaryView->plotPoint(100 * r * w, 100 * (1 - r) * w, 1, 0, 0);
    } else {
        for (const char* n : {"mIceSalinity", "mIceNaCl", "mIceKCl"}) mForm.clear(n);
    }
    if (!input)
        setNote(Note::Ice, joined({kNoIceNote, "an empty temperature, or a share of NaCl outside "
                                               "0 to 100 %."}));
    mIceViewp->removeGraphObjectWithKindOfName("t_");
    if (input) {
        iceMeltingCurve.clear();
        iceMeltingCurve.reserve(202);
        mModel->calculateIceMeltingCurve(iceMeltingCurve, r);
        mIceViewp->plotFromArray(iceMeltingCurve, 2, 0, 1)->setName("t_iceCurve");
        // A failed solve has no salinity to mark.
        if (solved) mIceViewp->plotPoint(100 * w, T, 5, Color::red())->setName("t_icePoint");
        // Where no salinity melts the ice at T, the curve's span says why.
        double lowest = 0.0;
        for (std::size_t i = 1; i < iceMeltingCurve.size(); i += 2)
            lowest = std::min(lowest, iceMeltingCurve[i]);
        const double eutectic = eutecticTemperature(*mModel, r);
        std::string note;
        // Built by appending: GCC 12 misreads a literal added to a temporary string as an
        // overrun of its small buffer.
        if (!solved) {
            note = kNoIceNote;
            note.append(formatForDisplay(T))
                .append(" \u00b0C with ")
                .append(formatForDisplay(100 * r))
                .append(" % of the salt NaCl: the model's ice melts from 0 down to ")
                .append(formatForDisplay(lowest))
                .append(" \u00b0C for that salt.");
        } else if (T < eutectic) {
            note = kMetastableIceNote;
            note.append(" of this salt (")
                .append(formatForDisplay(eutectic))
                .append(" \u00b0C) the salinity shown is the model's metastable extension of "
                        "its ice-melting curve: no stable brine of this salt stays liquid there, "
                        "so ice melting last at this temperature is metastable.");
        }
        setNote(Note::Ice, note);
        std::vector<double> isotherm;
        isotherm.reserve(42);
        mModel->calculateIceMeltingIsotherm(isotherm, T);
        mTernaryView->plotCurve(isotherm, 2, 0, 1);
    }
    mIceViewp->setNeedsDisplay(true);
    mTernaryView->setNeedsDisplay(true);
}

void MyDocument::onTernaryPlotSelection(const Notification& n) {
    if (!mTernaryView || n.object != mTernaryView.get()) return;
    const double a = mTernaryView->mSela(), b = mTernaryView->mSelb();
    const double s = a + b;
    // Pure water (the water corner) has no salt to share out.
    if (!(a >= 0 && b >= 0 && s > 0 && s <= 100)) return;
    // A click on an edge reads a share of a rounding trace away from 0 or 1 (or -0).
    const double r = withoutRoundingTraces(a / s);
    double T = NAN;
    mModel->failed = 0;
    mModel->calculateFreezingTemperature(0.01 * s, r, T);
    // The temperature stands for the brine clicked only where the model's ice-melting
    // salinity at it gives that brine back: beyond, the freezing polynomial runs on to
    // temperatures no ice melts at (below absolute zero, far enough out), and the panel would
    // show one with no salinity beside it. The panel keeps what it showed and says why.
    double w = NAN;
    bool found = !mModel->failed && std::isfinite(T) && T > -273.15;
    if (found) mModel->calculateIceMeltingSalinity(T, r, w);
    found = found && !mModel->failed && std::isfinite(w) &&
            std::fabs(100 * w - s) <= 1e-6 * std::max(1.0, s);
    mModel->failed = 0;
    if (!found) {
        setNote(Note::Ice, "No ice melts last in the brine clicked, " + formatForDisplay(s) +
                               " wt % salt of which " + formatForDisplay(100 * r) +
                               " % NaCl: the model has no ice-melting temperature for it. The "
                               "panel keeps what it showed.");
        return;
    }
    mForm.setDouble("mIceRatio", 100 * r);
    mForm.setDouble("mIceStepRatio", 100 * r);
    mForm.setDouble("mIceSalinity", s);
    mForm.setDouble("mIceT", T);
    mForm.setDouble("mIceStepT", T);
    onCalculateIceSalinity(nullptr);
}

void MyDocument::onAssignIceSalinity() {
    Control& salinity = mForm["mIceSalinity"];
    // A blank field (a failed solve) is no salinity of 0.
    if (!salinity.holdsNumber() || salinity.value < 0 || salinity.value > 100) return;
    if (densityFixed() && salinity.value != mXm) {
        clearRefusal();
        sayDensityFixed({"the ice's salinity of ", formatForDisplay(salinity.value),
                         " wt % is not assigned to the state; untick Fixed density to assign "
                         "it."});
        return;
    }
    mForm.setDouble("mHaliteXm", salinity.value);
    onChangeFluidParameter(&mForm["mHaliteXm"]);
    mListView.reloadData(caseCount());
}

// ----- Boiling
// ----------------------------------------------------------------------------------------

void MyDocument::initBoilingPanel() {
    for (const BoilInput& b : kBoilInputs) {
        mForm.setDouble(b.field, b.start);
        mForm.setDouble(b.stepper, b.start);
        mForm[b.stepper].increment = b.increment;
    }
}

void MyDocument::updateBoilingControls(Control* sender) {
    for (const BoilInput& b : kBoilInputs) mirrorPair(sender, b.field, b.stepper);
}

namespace {

constexpr const char* kBoilingNote = "The boiling column: ";

}  // namespace

// Why the brine of a layer holds halite at its top temperature T (the model's liquid on its
// halite + liquid + vapour curve there dissolves less salt); empty when it does not.
std::string MyDocument::brineHoldsHalite(const char* layer, double percent, double T) const {
    if (!(T < mTtNaCl)) return {};
    double P = 0, xL = NAN, xV = 0, rhoL = 0, rhoV = 0;
    mModel->calculateSLVPoint(std::max(T, 0.0), P, xL, xV, rhoL, rhoV);
    if (mModel->failed || !std::isfinite(xL) || !(percent > 100 * xL)) return {};
    std::string why = kBoilingNote;
    why.append("the ").append(layer).append(" brine of ").append(formatForDisplay(percent));
    why.append(" wt % NaCl holds halite at its top: the model's liquid at ");
    why.append(formatForDisplay(T)).append(" \u00b0C dissolves at most ");
    why.append(formatForDisplay(100 * xL)).append(" wt %. No column is computed.");
    return why;
}

void MyDocument::onCalculateBoiling(Control* sender) {
    if (!mDepthViewp) return;
    updateBoilingControls(sender);
    mDepthViewp->removeGraphObjectWithKindOfName("t_");
    for (const char* n : kBoilResults) mForm.clear(n);
    mDepthViewp->setNeedsDisplay(true);
    mBoilingViewp->setNeedsDisplay(true);
    // A column computed takes the panel's note away, a column refused says why.
    auto refuse = [&](const std::string& why) { setNote(Note::Boiling, why); };
    refuse("");
    double in[std::size(kBoilInputs)];
    for (std::size_t i = 0; i < std::size(kBoilInputs); ++i) {
        const Control& c = mForm[kBoilInputs[i].field];
        if (!c.holdsNumber())
            return refuse(joined({kBoilingNote, "a field of the column holds no number. No "
                                                "column is computed."}));
        in[i] = c.value;
    }
    const double H0 = in[0], T0 = in[1], P0 = in[2], H10 = in[3], dTdz1 = in[4], NaCl2 = in[5],
                 Gas2 = in[6], H3 = in[7], dTdz3 = in[8], rho3 = in[9], H4 = in[10], NaCl4 = in[11];
    // A column that makes no sense is not computed.
    if (H0 < 0 || H10 < 0 || H3 < 0 || H4 < 0 || !(P0 > 0) || !(rho3 > 0) || NaCl2 < 0 ||
        NaCl2 >= 100 || NaCl4 < 0 || NaCl4 >= 100 || Gas2 < 0 || Gas2 >= 100)
        return refuse(joined({kBoilingNote,
                              "its thicknesses are negative, its pressure or deep density not "
                              "above 0, or a salinity or gas share outside 0 to 100 %. No column "
                              "is computed."}));
    const double x2 = 0.01 * NaCl2, x4 = 0.01 * NaCl4;
    const double z1 = H0 + H10, z2 = z1 + H3, z3 = z2 + H4;
    const double T1 = T0 + H10 * dTdz1;
    // The model has fluids from 0 degC to the critical temperature of NaCl; a geotherm that
    // leaves that range (a gradient cooling a column below freezing, or heating it beyond)
    // is no column of fluid. Each layer's temperatures are linear, so their ends bound them.
    auto leavesModel = [&](std::initializer_list<std::pair<double, double>> depthsAndTemperatures) {
        for (auto [z, T] : depthsAndTemperatures) {
            if (T >= 0 && T <= mTcNaCl) continue;
            std::string why = kBoilingNote;
            why.append("its geotherm reaches ").append(formatForDisplay(T)).append(" \u00b0C at ");
            why.append(formatForDisplay(z)).append(" m, ");
            why.append(T < 0 ? "below 0 \u00b0C" : "above the model's top temperature of ");
            if (T > 0) why.append(formatForDisplay(mTcNaCl)).append(" \u00b0C");
            why.append(", where the model has no fluid. No column is computed.");
            return why;
        }
        return std::string();
    };
    if (const std::string why = leavesModel({{H0, T0}, {z1, T1}}); !why.empty())
        return refuse(why);
    // Nor is a column whose upper brine holds halite where it starts: it is no brine.
    if (const std::string why = brineHoldsHalite("upper layer's", NaCl2, T0); !why.empty())
        return refuse(why);

    double Tc2 = -1, Pc2 = -1, rc2 = -1, Tc4 = -1, Pc4 = -1, rc4 = -1;
    const bool crit2 = criticalPointOfSalinity(x2, Tc2, Pc2, rc2);
    const bool crit4 = criticalPointOfSalinity(x4, Tc4, Pc4, rc4);
    BubbleCurveEnd end2, end4;
    if (crit2) bubbleCurveEnd(x2, Tc2, end2);
    if (crit4) bubbleCurveEnd(x4, Tc4, end4);
    std::vector<double> upper, deep, spinodal;
    upper.reserve(300);
    deep.reserve(300);
    if (crit2) mModel->calculateBoilingCurveWithGasVolume(upper, NaCl2, Gas2, Tc2, 100);
    if (crit4) mModel->calculateLiquidIsopleth(deep, NaCl4, Tc4, 100);
    mModel->calculateSpinodalCurve(spinodal, x2);

    const double mode = mForm["mBoilUseSimple"].state == 1 ? 0.0 : -1.0;
    const BoilingOnset upperOnset = boilingOnset(T0, H0, P0, dTdz1, x2, end2, mode, z1);
    if (upperOnset.kind == BoilingOnset::Undetermined) {
        // No boiling depth means no column below it either: nothing is shown as if known.
        return refuse(std::string(kBoilingNote) +
                      "the boiling depth of the upper layer could not be found.");
    }
    const bool B1 = upperOnset.kind == BoilingOnset::Boils;
    // Depths along the upper boiling curve are converted with the density at the onset; a
    // column that never boils converts with the water column of its pressure below.
    const double Tb = upperOnset.T, Pb = upperOnset.P, zb = upperOnset.z,
                 rhob = B1 ? upperOnset.rho : 1000.0;
    const double dz = B1 ? z1 - zb : 0;
    // The boiling ends where the column passes the top of the bubble curve, at the brine's
    // critical point: below it the fluid is supercritical, and its temperature leaves the
    // critical one with the layer's gradient. Where the column passes it, the note says so.
    std::string passes;
    // Dilute brines' bubble curves end a little above their critical point, where their
    // liquid and vapour meet: the note names the end for what it is.
    auto passing = [&](const char* layer, double zTop, double zEnd, const BubbleCurveEnd& end,
                       double Tc, double Pc) {
        constexpr double kSamePoint = 1e-3;  // K: the end is the critical point itself
        if (passes.empty())
            passes.append(kBoilingNote).append("the ");
        else
            passes.append(" The ");
        passes.append(layer).append(" boils from ").append(formatForDisplay(zTop));
        passes.append(" m to ").append(formatForDisplay(zEnd));
        const bool atCritical = std::fabs(end.T - Tc) < kSamePoint;
        passes.append(atCritical ? " m, where it passes its brine's critical point ("
                                 : " m, where it passes the end of its brine's bubble curve, "
                                   "where liquid and vapour meet (");
        passes.append(formatForDisplay(end.T)).append(" \u00b0C, ");
        passes.append(formatForDisplay(end.P));
        if (atCritical) {
            passes.append(" bar), the end of the bubble curve");
        } else {
            passes.append(" bar, past its critical point at ").append(formatForDisplay(Tc));
            passes.append(" \u00b0C and ").append(formatForDisplay(Pc)).append(" bar)");
        }
        passes.append("; the fluid below is supercritical.");
    };
    double P1, Tz1, zEnd1 = z1;
    if (B1) {
        P1 = Pb + 9.81 * rhob * dz * 1e-5;
        if (P1 < end2.P) {
            Tz1 = bubbleTemperature(P1, x2, Tb);
        } else {
            zEnd1 = zb + (end2.P - Pb) * 1e5 / (9.81 * rhob);
            Tz1 = end2.T + dTdz1 * (z1 - zEnd1);
            passing("upper layer", zb, zEnd1, end2, Tc2, Pc2);
        }
        if (!std::isfinite(Tz1))
            return refuse(std::string(kBoilingNote) + "the bubble temperature of the upper layer's "
                          "brine at its bottom (" + formatForDisplay(P1) +
                          " bar) could not be found.");
    } else {
        Tz1 = T1;
        P1 = P0 + H10 * 9810 * 1e-5;
    }
    const double T2 = Tz1 + H3 * dTdz3, g3 = 9.81 * rho3;
    const double P2 = P1 + H3 * g3 * 1e-5, P3 = P2 + H4 * g3 * 1e-5;
    if (const std::string why = leavesModel({{z1, Tz1}, {z2, T2}, {z3, T2 + H4 * dTdz3}});
        !why.empty())
        return refuse(why);
    if (const std::string why = brineHoldsHalite("deep layer's", NaCl4, T2); !why.empty())
        return refuse(why);
    const BoilingOnset deepOnset = boilingOnset(T2, z2, P2, dTdz3, x4, end4, rho3, z3);
    if (deepOnset.kind == BoilingOnset::Undetermined)
        return refuse(std::string(kBoilingNote) +
                      "the boiling depth of the deep layer could not be found.");
    const bool B4 = deepOnset.kind == BoilingOnset::Boils;
    const double Tb4 = deepOnset.T, zb4 = deepOnset.z;
    double Ttop4 = T2, Tbot4 = T2 + H4 * dTdz3, zEnd4 = z3;
    if (B4) {
        // The layer's top is on the bubble curve only when it boils from there.
        if (!(zb4 > z2)) Ttop4 = bubbleTemperature(P2, x4, T2);
        if (P3 < end4.P) {
            Tbot4 = bubbleTemperature(P3, x4, T2);
        } else {
            zEnd4 = z2 + (end4.P - P2) * 1e5 / g3;
            Tbot4 = end4.T + dTdz3 * (z3 - zEnd4);
            passing("deep layer", zb4, zEnd4, end4, Tc4, Pc4);
        }
        if (!std::isfinite(Ttop4) || !std::isfinite(Tbot4))
            return refuse(std::string(kBoilingNote) + "the bubble temperature of the deep layer's "
                          "brine at its top or bottom could not be found.");
    }
    if (!passes.empty()) refuse(passes);

    // ----- Depth plot
    auto curve = [](const char* name, const Color& color, int dash, float size) {
        auto c = std::make_unique<CGraphCurve>();
        c->setName(name);
        c->setColor(color);
        if (dash) c->setMDash(dash);
        if (size > 0) c->setSize(size);
        return c;
    };
    auto put = [](CGraphCurve& c, double T, double z, bool penUp = false) {
        c.addPoint(static_cast<float>(T), static_cast<float>(z), penUp);
    };
    auto upperDepth = [&](double P) { return (P - P0) * 1e5 / (rhob * 9.81) + H0; };
    // The boiling zone's own column, from its onset down.
    auto zoneDepth = [&](double P) { return (P - Pb) * 1e5 / (rhob * 9.81) + zb; };
    auto deepDepth = [&](double P) { return (P - P2) * 1e5 / g3 + z2; };
    const std::size_t nUpper = upper.size() / 3, nDeep = deep.size() / 3;

    auto profile0 = curve("t_profile0", Color::red(), 3, 0.5f);
    addPoints(*profile0, {{T0, 0}, {T0, H0}, {T1, z1}});
    mDepthViewp->add(std::move(profile0));

    auto sat0 = curve("t_sat0", Color::blue(), 0, 0);
    addPoints(*sat0, {{T0, 0}, {T0, H0}});
    // A boiling zone follows its bubble curve (rows of T, P, ...) from the onset down to where
    // it ends: the layer's bottom, or the curve's end above it.
    auto boilingZone = [&](const std::vector<double>& rows, double Tonset, double zonset,
                           auto depthOf, double zEnd, double zBottom, const BubbleCurveEnd& end) {
        put(*sat0, Tonset, zonset);
        for (std::size_t i = 0; i + 2 < rows.size(); i += 3) {
            const double T = rows[i], d = depthOf(rows[i + 1]);
            if (!(T > Tonset)) continue;
            if (!(d < zEnd)) break;
            if (d > zonset) put(*sat0, T, d);
        }
        if (zEnd < zBottom) put(*sat0, end.T, zEnd);
    };
    if (B1) boilingZone(upper, Tb, zb, zoneDepth, zEnd1, z1, end2);
    put(*sat0, Tz1, z1);
    put(*sat0, T2, z2);
    if (B4) boilingZone(deep, Tb4, zb4, deepDepth, zEnd4, z3, end4);
    put(*sat0, Tbot4, z3);
    mDepthViewp->add(std::move(sat0));

    if (mForm["mBoilShow1"].state == 1) {
        auto sat1 = curve("t_sat1", Color::red(), 3, 0);
        std::size_t i = 0;
        if (B1) {
            for (; i < nUpper && upper[3 * i] < Tb; ++i)
                put(*sat1, upper[3 * i], upperDepth(upper[3 * i + 1]));
            if (i < nUpper) put(*sat1, Tb, zb);
            put(*sat1, Tz1, z1, true);
            put(*sat1, Tz1, z1);
        }
        const double from = B1 ? Tz1 : -INFINITY;
        for (; i < nUpper; ++i)
            if (upper[3 * i] > from) put(*sat1, upper[3 * i], upperDepth(upper[3 * i + 1]));
        mDepthViewp->add(std::move(sat1));
    }
    if (mForm["mBoilShow2"].state == 1) {
        auto sat2 = curve("t_sat2", Color::red(), 3, 0);
        for (std::size_t i = 0; i < nDeep; ++i) put(*sat2, deep[3 * i], deepDepth(deep[3 * i + 1]));
        mDepthViewp->add(std::move(sat2));
    }
    {
        auto spino = curve("t_spino", Color::gray(), 0, 0);
        for (std::size_t i = 0; i + 1 < spinodal.size(); i += 2)
            put(*spino, spinodal[i], upperDepth(spinodal[i + 1]));
        mDepthViewp->add(std::move(spino));
    }

    // ----- Result fields
    // The upper layer's boiling zone ends at its bottom, or where its column passes the
    // critical point; the rest of the layer does not boil.
    const double boiling = B1 ? zEnd1 - zb : 0;
    const std::pair<const char*, double> zones[] = {
        {"mBoilzTop3", z1},           {"mBoilzBot3", z2},       {"mBoilzTop4", z2},
        {"mBoilzBot4", z3},           {"mBoilTbot3", T2},       {"mBoilPbot3", P2},
        {"mBoilTtop4", Ttop4},        {"mBoilPtop4", P2},       {"mBoilTbot4", Tbot4},
        {"mBoilPbot4", P3},           {"mBoilzTop1", H0},       {"mBoilPbot2", P1},
        {"mBoilH1", H10 - boiling},   {"mBoilH2", boiling},     {"mBoilzBot1", z1 - dz},
        {"mBoilTbot2", Tz1}};
    for (auto [name, v] : zones) show(mForm, name, v);
    if (B1) {
        show(mForm, "mBoilTtop2", Tb);
        show(mForm, "mBoilPtop2", Pb);
        show(mForm, "mBoilzTop2", zb);
        show(mForm, "mBoilzBot2", zEnd1);
    }

    // ----- Depth marks
    std::vector<std::pair<const char*, double>> marks = {{"t_h0", H0}, {"t_h1", z1}};
    if (B1) marks.push_back({"t_h11", z1 - dz});
    if (zEnd1 < z1) marks.push_back({"t_h12", zEnd1});
    marks.push_back({"t_h3", z2});
    marks.push_back({"t_h4", z3});
    for (auto [name, z] : marks) {
        auto mark = curve(name, Color::black(), 0, 0.5f);
        mark->setLineDash(2);
        addPoints(*mark, {{0, z}, {1000, z}});
        mDepthViewp->add(std::move(mark));
    }
}

}  // namespace vornex

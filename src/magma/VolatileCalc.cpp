#include "magma/VolatileCalc.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"
#include "magma/Holloway.h"
#include "numerics/Diagnostics.h"
#include "numerics/Newton.h"
#include "numerics/Solver.h"

namespace vornex {

namespace {

constexpr double R = kGasConstant;

// Melt of each magma type: molar mass of the anhydrous unit (g/mol), the molecular-water
// fit ln x = lnFit + power ln w below 0.6 wt %, and the speciation constants A to D.
struct MeltConstants {
    double M, lnFit, power, A, B, C, D;
};
constexpr MeltConstants kMelt[2] = {{35.594, -5.827, 1.855, 9.143, -3.295, -12.038, -1.144},
                                    {32.5, -5.526, 1.977, 9.345, -4.304, -12.554, -4.656}};
const MeltConstants& meltOf(int type) {
    return kMelt[type == kRhyolite ? 1 : 0];
}

// Reference states of Dixon et al. (1995) for basalt and of the rhyolite fits.
struct TypeConstants {
    VolatileCalc::Reference h2o, co2;
    double x0H2O, x0CO2;
};
constexpr TypeConstants kTypes[2] = {
    {{1473.15, 1e5, 1.2e-05, 0.0}, {1473.15, 1e5, 2.3e-05, 0.0}, 3.28e-05, 3.8e-07},
    {{1123.15, 7.99e7, 5e-06, -18499.91}, {1123.15, 7.5e7, 2.8e-05, -20345.7155}, 0.0323, 0.000397}};

constexpr double kSpeciationLimit = 0.6;  // wt %: below it the fit gives molecular water
constexpr double kMaxWater = 100.0;       // wt %
constexpr double kMaxCO2 = 1e6;           // ppm
// The saturation pressure is searched between these (Pa).
constexpr double kMinPressure = 1.0;
constexpr double kMaxPressure = 1e10;
// A root whose residual (relative to the fugacities) is larger than this is none.
constexpr double kSaturationResidual = 1e-7;

// Calibrated range of each magma type: temperatures (K) and the highest pressure (Pa).
struct CalibratedRange {
    double Tmin, Tmax, Pmax;
};
constexpr CalibratedRange kRange[2] = {{1373.15, 1573.15, 5e8}, {973.15, 1473.15, 5e8}};
const char* const kMagmaName[2] = {"basalt", "rhyolite"};
// Below these an open degassing path treats the CO2 left as none.
constexpr double kTraceMeltCO2 = 1e-3;    // ppm in the melt
constexpr double kTraceVapourCO2 = 1e-6;  // mole fraction in the vapour
// Below this CO2 in the vapour an open path whose mixed flash fails goes on with water
// alone (the melt's water crossing its step with traces of CO2 the solve cannot resolve).
constexpr double kTraceVapourRetry = 1e-3;
// The solves take the vapour's CO2 fraction this far beyond 0 and 1, where the central
// differences of their Jacobians (steps of 1e-7 at most) reach from a vapour of nearly one
// volatile; the fugacities there continue linearly in the fraction.
constexpr double kVapourFractionMargin = 1e-6;

bool vapourFractionTaken(double y) {
    return y >= -kVapourFractionMargin && y <= 1.0 + kVapourFractionMargin;
}

void bindNewton(Newton& n, VolatileCalc* self, EquationSystem system,
                std::initializer_list<double> scale, std::initializer_list<double> eps) {
    n._setSysEquationToSolve(self, system, static_cast<int>(scale.size()));
    n.numerical = 1;
    int i = 0;
    for (double s : scale) n.scale[i++] = s;
    i = 0;
    for (double e : eps) n.eps[i++] = e;
}

void bindSolver(Solver& s, VolatileCalc* self, EquationFunction f) {
    s.equation = self;
    s.function = f;
}

// Runs the solver from the start; true when it failed.
// A vapour fraction this close below 0 is the saturation point solved to rounding.
constexpr double kSaturatedVapourFraction = 1e-9;

bool newtonFails(Newton& n, std::initializer_list<double> start) {
    int i = 0;
    for (double v : start) n.x[i++] = v;
    return n.solve() != 0;
}

bool isPositive(double v) {
    return std::isfinite(v) && v > 0.0;
}

// " and 2000 bar", for messages.
std::string atPressure(double PPa) {
    char text[48];
    vornex::csnprintf(text, sizeof text, " and %g bar", PPa * 1e-5);
    return text;
}

}  // namespace

VolatileCalc::VolatileCalc()
    : vapour_(new HollowayEOS(1)),
      newton1_(new Newton),
      newton2_(new Newton),
      newton3_(new Newton),
      newton4_(new Newton),
      secant1_(new Secant),
      pressureRoot_(new Muller),
      contentRoot_(new Muller) {
    equationError = 0;
    bindNewton(*newton1_, this, static_cast<EquationSystem>(&VolatileCalc::calculate_vector_function),
               {1e8, 0.5}, {0.01, 1e-07});
    bindNewton(*newton2_, this,
               static_cast<EquationSystem>(&VolatileCalc::calculate_vector_function1), {100, 0.5},
               {1e-08, 1e-08});
    bindNewton(*newton3_, this,
               static_cast<EquationSystem>(&VolatileCalc::calculate_vector_function2),
               {100, 1000, 1, 100}, {1e-08, 1e-08, 1e-08, 1e-08});
    newton3_->itermax = 30;
    bindNewton(*newton4_, this,
               static_cast<EquationSystem>(&VolatileCalc::calculate_vector_function3),
               {100000, 0.5}, {1e-08, 1e-08});
    bindSolver(*secant1_, this,
               static_cast<EquationFunction>(&VolatileCalc::equationForMoleFractions));
    bindSolver(*pressureRoot_, this,
               static_cast<EquationFunction>(&VolatileCalc::equationForSaturationPressure));
    bindSolver(*contentRoot_, this,
               static_cast<EquationFunction>(&VolatileCalc::equationForSaturationPoint));
    volatileSystem = kH2OOnly;
    fugacityMixing = 0;
    setMagmaType(kBasalt);
    calculationError = 0;
}

VolatileCalc::~VolatileCalc() = default;

bool VolatileCalc::setMagmaType(int type) {
    if (type != kBasalt && type != kRhyolite) {
        vornex::cfprintf(stderr, "VolatileCalc: magma type %d is not known (1 basalt, 2 rhyolite)\n",
                     type);
        return false;
    }
    const TypeConstants& c = kTypes[type - 1];
    magmaType = type;
    refH2O = c.h2o;
    refCO2 = c.co2;
    x0H2O = c.x0H2O;
    x0CO2 = c.x0CO2;
    if (!pureFugacity(0, refH2O.T0, refH2O.P0, f0H2O) ||
        !pureFugacity(1, refCO2.T0, refCO2.P0, f0CO2)) {
        vornex::cfprintf(stderr, "VolatileCalc: no reference fugacity for magma type %d\n", type);
        calculationError = 1;
    }
    return true;
}

bool VolatileCalc::solveVapour(double x0, double x1, double TK, double PPa) {
    HollowayEOS& v = *vapour_;
    v.composition(x0, x1);
    v.temperature(TK);
    v.pressure(PPa * 1e-5);
    v.calculate_molar_volume();
    if (v.error == 0) v.calculate_fugacities();
    return v.error == 0;
}

bool VolatileCalc::pureFugacity(int component, double TK, double PPa, double& f) {
    const bool ok = solveVapour(component == 0 ? 1.0 : 0.0, component == 0 ? 0.0 : 1.0, TK, PPa);
    f = vapour_->fugacity[static_cast<size_t>(component)];
    return ok && isPositive(f);
}

double VolatileCalc::henry(const Reference& ref, double f0, double x0) const {
    return f0 / x0 * std::exp((pressure - ref.P0) * ref.V / (R * temperature)) *
           std::exp((1.0 / temperature - 1.0 / ref.T0) * ref.dH / R);
}

void VolatileCalc::calculateHenryConstants() {
    if (volatileSystem == kH2OOnly || volatileSystem == kH2OCO2)
        henryH2O = henry(refH2O, f0H2O, x0H2O);
    if (volatileSystem == kCO2Only || volatileSystem == kH2OCO2)
        henryCO2 = henry(refCO2, f0CO2, x0CO2);
}

bool VolatileCalc::calculateVapourFugacities(double& fH2O, double& fCO2) {
    bool ok = true;
    switch (volatileSystem) {
        case kH2OOnly:
        case kCO2Only: {
            const int pure = volatileSystem == kH2OOnly ? 0 : 1;
            setVapourCO2(pure);
            double f = 0.0;
            ok = pureFugacity(pure, temperature, pressure, f);
            fH2O = pure == 0 ? f : 0.0;
            fCO2 = pure == 1 ? f : 0.0;
            break;
        }
        case kH2OCO2:
            if (fugacityMixing == 0) {
                ok = pureFugacity(0, temperature, pressure, fH2O) &&
                     pureFugacity(1, temperature, pressure, fCO2);
                fH2O *= yH2O;
                fCO2 *= yCO2;
            } else if (fugacityMixing == 1) {
                // f_i = y_i P phi_i, with the coefficients of the mixture held within the
                // pure ends: inside them the mixture's own fugacities, beyond (a solve's
                // difference step) continued linearly in y_i.
                const double y = std::clamp(yCO2, 0.0, 1.0);
                ok = solveVapour(1.0 - y, y, temperature, pressure);
                fH2O = yH2O * pressure * vapour_->fugacityCoefficient[0];
                fCO2 = yCO2 * pressure * vapour_->fugacityCoefficient[1];
            } else {
                ok = false;
            }
            break;
        default:
            ok = false;
    }
    if (!ok) equationError = 1;
    return ok;
}

void VolatileCalc::calculateMoleFractions(double w, double q, double* xH2Omol, double* xCO2,
                                          double* xOH) {
    const MeltConstants& c = meltOf(magmaType);
    const double nCO2 = q * 1e-4 / 44.009;
    const double nH2O = w / 18.015;
    const double nMelt = (100.0 - w - q * 1e-4) / c.M + nH2O;
    const double nTotal = nMelt + nCO2;
    if (xCO2 != nullptr) *xCO2 = nCO2 / nTotal;
    if (xH2Omol == nullptr) return;
    const bool fit = branch_ == WaterBranch::Fit ||
                     (branch_ == WaterBranch::ByContent && w < kSpeciationLimit);
    if (fit) {
        *xH2Omol = std::exp(c.lnFit) * std::pow(w, c.power);
        return;
    }
    double X = nH2O / nMelt;
    Secant& s = *secant1_;
    s.context = &X;
    s.x0 = 0.3 * X;
    s.x1 = 0.99 * s.x0;
    double oh = s.solve();
    if (s.error != 0 && branch_ != WaterBranch::ByContent) {
        // A trial of a solve on one formula: the solve's own failure, not the melt's.
        *xH2Omol = std::nan("");
        return;
    }
    if (s.error != 0) {
        calculationError = 1;
        std::fputs("Failed to calculate water speciation in the melt\n", stderr);
        oh = 0.3 * X;
    }
    *xH2Omol = nH2O / nTotal - 0.5 * oh;
    if (xOH != nullptr) *xOH = oh;
}

double VolatileCalc::equationForMoleFractions(double s, void* context) {
    const double X = *static_cast<double*>(context);
    const MeltConstants& c = meltOf(magmaType);
    const double d1 = X - 0.5 * s, d2 = 1.0 - X - 0.5 * s;
    if (!(s > 0.0) || !(d1 > 0.0) || !(d2 > 0.0)) {
        equationError = 1;
        return 0.0;
    }
    return c.A + c.B * (s - 1.0) + c.C * (1.0 - X - s) + c.D * (X - s) +
           std::log(s * s / (d1 * d2));
}

bool VolatileCalc::withinCalibratedRange(double TK, double PPa) const {
    const CalibratedRange& r = kRange[magmaType == kRhyolite ? 1 : 0];
    // The bounds themselves are inside, as a caller's 1200 + 273.15 K rounds them.
    constexpr double kSlack = 1e-9;
    return TK >= r.Tmin * (1.0 - kSlack) && TK <= r.Tmax * (1.0 + kSlack) && PPa > 0.0 &&
           PPa <= r.Pmax * (1.0 + kSlack);
}

std::string VolatileCalc::describe() const {
    char text[96];
    vornex::csnprintf(text, sizeof text, "%s at %g C", kMagmaName[magmaType == kRhyolite ? 1 : 0],
                  temperature - 273.15);
    return text;
}

void VolatileCalc::reportFailure(bool failed, const std::string& message) {
    if (!failed) return;
    calculationError = 1;
    lastFailure_ = message;
    if (inCurve_)
        ++curveFailures_;
    else
        vornex::cfprintf(stderr, "%s\n", message.c_str());
}

void VolatileCalc::printRange(const std::string& what) const {
    const CalibratedRange& r = kRange[magmaType == kRhyolite ? 1 : 0];
    vornex::cfprintf(stderr,
                 "%s lies outside the calibrated range of the model (%g to %g C, up to %g bar)\n",
                 what.c_str(), r.Tmin - 273.15, r.Tmax - 273.15, r.Pmax * 1e-5);
}

void VolatileCalc::noteRange(double PPa) {
    outsideCalibration = withinCalibratedRange(temperature, PPa) ? 0 : 1;
    if (outsideCalibration == 0) return;
    if (!inCurve_)
        printRange(describe() + atPressure(PPa));
    else if (curveOutsideP_ == 0.0)
        curveOutsideP_ = PPa;
}

bool VolatileCalc::saturationResiduals(double& rH2O, double& rCO2) {
    double fH2O = 0.0, fCO2 = 0.0;
    if (!calculateVapourFugacities(fH2O, fCO2)) return false;
    calculateHenryConstants();
    rH2O = xH2Omelt * henryH2O - fH2O;
    rCO2 = xCO2melt * henryCO2 - fCO2;
    return true;
}

bool VolatileCalc::pureFugacities(double f[2]) {
    f[0] = f[1] = 0.0;
    const bool water = volatileSystem == kH2OOnly || volatileSystem == kH2OCO2;
    const bool co2 = volatileSystem == kCO2Only || volatileSystem == kH2OCO2;
    return (!water || pureFugacity(0, temperature, pressure, f[0])) &&
           (!co2 || pureFugacity(1, temperature, pressure, f[1]));
}

double VolatileCalc::saturationExcess(const double f[2]) {
    calculateHenryConstants();
    const double h = f[0] > 0.0 ? xH2Omelt * henryH2O / f[0] : 0.0;
    const double c = f[1] > 0.0 ? xCO2melt * henryCO2 / f[1] : 0.0;
    if (h + c > 0.0) setVapourCO2(c / (h + c));
    return h + c - 1.0;
}

std::string VolatileCalc::bracketAndSolve(Muller& m, double start, double lo, double hi,
                                          bool rising, double& root) {
    const std::string none = "no sign change";
    double a = start;
    double fa = m.calcFunction(a);
    if (m.error != 0) return none;
    const bool up = (fa < 0.0) == rising;
    // Factors of 2 from 1e-18 of the start to 1e18: beyond them the end of the range.
    bool bracketed = fa == 0.0;
    root = a;
    for (int k = 0; k < 60 && !bracketed; ++k) {
        double b = up ? 2.0 * a : 0.5 * a;
        if (k == 59 || b > hi || b < lo) b = up ? hi : lo;
        const double fb = m.calcFunction(b);
        if (m.error != 0) return none;
        if (fa * fb <= 0.0) {
            m.x0 = a;
            m.x1 = b;
            root = m.solve();
            if (m.error != 0) return none;
            bracketed = true;
        } else if (b == hi || b == lo) {
            return none;
        }
        a = b;
        fa = fb;
    }
    // The members at the root, which must lie on saturation.
    const double excess = m.calcFunction(root);
    if (!bracketed || m.error != 0 || !(std::fabs(excess) <= kSaturationResidual))
        return ": the search ended off saturation";
    return "";
}

// ------------------------------------------------------------------ saturation pressure

void VolatileCalc::calculateSaturationPressure() {
    calculationError = 0;
    if (volatileSystem != kH2OOnly && volatileSystem != kCO2Only && volatileSystem != kH2OCO2)
        return;
    char state[160];
    vornex::csnprintf(state, sizeof state, " (x(H2O) %g, x(CO2) %g)",
                  volatileSystem == kCO2Only ? 0.0 : xH2Omelt,
                  volatileSystem == kH2OOnly ? 0.0 : xCO2melt);
    const std::string subject = "Saturation pressure of " + describe() + state;
    if (!(volatileSystem == kCO2Only || xH2Omelt > 0.0) ||
        !(volatileSystem == kH2OOnly || xCO2melt > 0.0)) {
        reportFailure(true, subject + ": the melt holds none of a volatile of its system");
        return;
    }
    // Mole fractions of a melt: each below 1, and together too.
    const double xw = volatileSystem == kCO2Only ? 0.0 : xH2Omelt;
    const double xc = volatileSystem == kH2OOnly ? 0.0 : xCO2melt;
    if (!(xw < 1.0 && xc < 1.0 && xw + xc < 1.0)) {
        reportFailure(true, subject + ": melt mole fractions must lie below 1, and their sum");
        return;
    }
    // The melt's excess over saturation falls with pressure, which raises the fugacities
    // faster than the Henry constants: the root is bracketed from 100 bar outwards.
    double P = 0.0;
    const std::string failure =
        bracketAndSolve(*pressureRoot_, 1e7, kMinPressure, kMaxPressure, false, P);
    if (!failure.empty()) {
        const char* noRoot = ": no pressure between 1 Pa and 100 kbar saturates it";
        reportFailure(true, subject + (failure[0] == ':' ? failure : noRoot));
        return;
    }
    // The mixture's own fugacities: from the state of the pure-fluid rule.
    if (volatileSystem == kH2OCO2 && fugacityMixing != 0) {
        const double* x = newton1_->x;
        const bool failed = newtonFails(*newton1_, {P, yCO2});
        pressure = x[0];
        setVapourCO2(std::clamp(x[1], 0.0, 1.0));
        if (failed) {
            reportFailure(true, subject + ": no solution with the mixture's fugacities");
            return;
        }
    }
    noteRange(pressure);
}

double VolatileCalc::equationForSaturationPressure(double P, void*) {
    if (!(P > 0.0)) {
        equationError = 1;
        return 0.0;
    }
    pressure = P;
    double f[2];
    if (!pureFugacities(f)) {
        equationError = 1;
        return 0.0;
    }
    return saturationExcess(f);
}

void VolatileCalc::calculate_vector_function(double* x, double* F, double**, int& err, int,
                                             void*) {
    if (!(x[0] > 0.0) || !vapourFractionTaken(x[1])) {
        err = 1;
        return;
    }
    pressure = x[0];
    setVapourCO2(x[1]);
    if (!saturationResiduals(F[0], F[1])) err = 1;
}

// --------------------------------------------------------------------- saturation point

VolatileCalc::MeltState VolatileCalc::meltState() const {
    return {pressure, waterContent, co2Content, xH2Omelt, xCO2melt, yH2O, yCO2, henryH2O, henryCO2};
}

void VolatileCalc::restore(const MeltState& s) {
    pressure = s.pressure;
    waterContent = s.waterContent;
    co2Content = s.co2Content;
    xH2Omelt = s.xH2Omelt;
    xCO2melt = s.xCO2melt;
    yH2O = s.yH2O;
    yCO2 = s.yCO2;
    henryH2O = s.henryH2O;
    henryCO2 = s.henryCO2;
}

void VolatileCalc::calculateSaturationPoint(double P) {
    const MeltState before = meltState();
    solveSaturationPoint(P);
    if (calculationError != 0) restore(before);
}

void VolatileCalc::solveSaturationPoint(double P) {
    pressure = P;
    calculationError = 0;
    const bool mixed = volatileSystem == kH2OCO2;
    if (volatileSystem != kH2OOnly && volatileSystem != kCO2Only && !mixed) return;
    char state[160];
    if (mixed)
        vornex::csnprintf(state, sizeof state, " and %g bar with %g wt %% H2O", P * 1e-5,
                      waterContent);
    else
        vornex::csnprintf(state, sizeof state, " and %g bar", P * 1e-5);
    const std::string subject = "Saturation point of " + describe() + state;
    double f[2];
    if (!(P > 0.0) || !pureFugacities(f)) {
        equationError = 0;
        reportFailure(true, subject + ": the vapour model has no state there");
        return;
    }
    if (mixed && !(waterContent > 0.0 && waterContent < kMaxWater)) {
        reportFailure(true, subject + ": the water content lies outside 0 to 100 wt %");
        return;
    }
    Muller& m = *contentRoot_;
    m.context = f;
    // The melt's excess rises with its content (q in the mixed system, the water fixed);
    // with no CO2 it must lie below saturation, or the melt holds more water than a pure-H2O
    // vapour at P saturates it with.
    if (mixed && !(equationForSaturationPoint(0.0, f) < 0.0)) {
        equationError = 0;
        reportFailure(true, subject + ": as much water as a pure-H2O vapour saturates it with, "
                                      "or more");
        return;
    }
    double v = 0.0;
    std::string failure;
    if (volatileSystem == kH2OOnly) {
        // Molecular water steps at 0.6 wt %, where the low-water fit gives way to the
        // speciation. Where the fit lies above (basalt) a saturation in the overlap has a
        // content on either side; the saturation is the higher, on the speciation, so that
        // the content falls with pressure through one jump (from 0.6 wt % to the fit's
        // content of the same molecular water). Where the fit lies below (rhyolite) a
        // saturation in the gap has no content.
        branch_ = WaterBranch::Speciation;
        failure = bracketAndSolve(m, 1.0, kSpeciationLimit, kMaxWater, true, v);
        if (!failure.empty()) {
            branch_ = WaterBranch::Fit;
            failure = bracketAndSolve(m, 0.5 * kSpeciationLimit, 0.0,
                                      std::nextafter(kSpeciationLimit, 0.0), true, v);
        }
        branch_ = WaterBranch::ByContent;
        if (!failure.empty() && inWaterStep(f[0])) {
            reportFailure(true, subject + stepText());
            return;
        }
        // The members of the content found, by its own formula.
        if (failure.empty()) equationForSaturationPoint(v, f);
    } else {
        failure = bracketAndSolve(m, 1.0, 0.0, kMaxCO2, true, v);
    }
    if (!failure.empty()) {
        const char* noRoot = volatileSystem == kH2OOnly
                                 ? ": no water content up to 100 wt % saturates it"
                                 : ": no CO2 content up to 1e6 ppm saturates it";
        reportFailure(true, subject + (failure[0] == ':' ? failure : noRoot));
        return;
    }
    if (mixed && fugacityMixing != 0) {
        const double* x = newton2_->x;
        newton2_->scale[0] = std::fmax(100.0, v);
        const bool failed = newtonFails(*newton2_, {v, yCO2});
        co2Content = x[0];
        setVapourCO2(std::clamp(x[1], 0.0, 1.0));
        calculateMoleFractions(waterContent, co2Content, &xH2Omelt, &xCO2melt, nullptr);
        if (failed) {
            reportFailure(true, subject + ": no solution with the mixture's fugacities");
            return;
        }
    }
    noteRange(P);
}

void VolatileCalc::calculate_vector_function1(double* x, double* F, double**, int& err, int,
                                              void*) {
    if (!(x[0] >= 0.0 && x[0] <= kMaxCO2) || !vapourFractionTaken(x[1])) {
        err = 1;
        return;
    }
    co2Content = x[0];
    setVapourCO2(x[1]);
    calculateMoleFractions(waterContent, co2Content, &xH2Omelt, &xCO2melt, nullptr);
    if (!saturationResiduals(F[0], F[1])) err = 1;
}

double VolatileCalc::equationForSaturationPoint(double value, void* context) {
    const double* f = static_cast<const double*>(context);
    const bool water = volatileSystem == kH2OOnly;
    if (!(value >= 0.0 && value <= (water ? kMaxWater : kMaxCO2))) {
        equationError = 1;
        return 0.0;
    }
    if (water) {
        waterContent = value;
        co2Content = 0.0;
    } else {
        if (volatileSystem == kCO2Only) waterContent = 0.0;
        co2Content = value;
    }
    calculateMoleFractions(waterContent, co2Content, &xH2Omelt, &xCO2melt, nullptr);
    if (volatileSystem == kH2OOnly) xCO2melt = 0.0;
    if (volatileSystem == kCO2Only) xH2Omelt = 0.0;
    return saturationExcess(f);
}

// -------------------------------------------------------------------------------- flash

bool VolatileCalc::flashFails(Newton& n, std::initializer_list<double> start) {
    // The melt water (the first unknown) on each formula of molecular water alone, the
    // speciation's first, and a root kept only on its formula's side of the step: in the
    // overlap the higher content, as the saturation point takes it, and a solve that does
    // not meet the step on its way (across it the residual jumps, and a solve need not
    // converge).
    // Both solved, each on the other's side: the melt's water would lie in the gap between
    // the formulas, where there is no state.
    // The higher content is a state only with vapour (its vapour fraction, the last
    // unknown, not below 0): a bulk between the fit's content and 0.6 wt % holds it all on
    // the speciation, and its state is the fit's. Without one there, the speciation's root
    // stands (and is refused as not saturated).
    // The fit is solved from the bulk where it lies below the step, else from just below the
    // step and, failing that, from half of it: the solve's reach depends on where it starts.
    const double bulkWater = *start.begin();
    const struct {
        WaterBranch branch;
        double water;
    } attempts[] = {{WaterBranch::Speciation, std::fmax(bulkWater, kSpeciationLimit)},
                    {WaterBranch::Fit, bulkWater < kSpeciationLimit
                                           ? bulkWater
                                           : std::nextafter(kSpeciationLimit, 0.0)},
                    {WaterBranch::Fit, 0.5 * kSpeciationLimit}};
    bool failed = true;
    bool otherSide[2] = {false, false};  // speciation, fit: solved on the other's side
    const size_t size = start.size();
    std::vector<double> speciationRoot;
    for (const auto& a : attempts) {
        const bool speciation = a.branch == WaterBranch::Speciation;
        std::vector<double> x(start);
        x[0] = a.water;
        branch_ = a.branch;
        for (size_t i = 0; i < size; ++i) n.x[i] = x[i];
        const bool solved = n.solve() == 0;
        const bool ownSide = (n.x[0] >= kSpeciationLimit) == speciation;
        branch_ = WaterBranch::ByContent;
        failed = !solved || !ownSide;
        if (!failed && speciation && n.x[size - 1] < -kSaturatedVapourFraction) {
            speciationRoot.assign(n.x, n.x + size);
            continue;
        }
        if (!failed) break;
        if (solved) otherSide[speciation ? 0 : 1] = true;
    }
    if ((failed || n.x[size - 1] < -kSaturatedVapourFraction) && !speciationRoot.empty()) {
        for (size_t i = 0; i < size; ++i) n.x[i] = speciationRoot[i];
        failed = false;
    }
    flashInGap_ = failed && otherSide[0] && otherSide[1];
    return failed;
}

void VolatileCalc::waterStep(double& below, double& above) {
    calculateMoleFractions(std::nextafter(kSpeciationLimit, 0.0), 0.0, &below, nullptr, nullptr);
    calculateMoleFractions(kSpeciationLimit, 0.0, &above, nullptr, nullptr);
}

bool VolatileCalc::inWaterStep(double fH2O) {
    double below = 0.0, above = 0.0;
    waterStep(below, above);
    calculateHenryConstants();
    const double target = fH2O / henryH2O;
    return below < target && target < above;
}

std::string VolatileCalc::stepText() {
    double below = 0.0, above = 0.0;
    waterStep(below, above);
    char step[240];
    vornex::csnprintf(step, sizeof step,
                  ": its saturation falls in the step of molecular water at %g wt %% (%.3g %%, "
                  "where the low-water fit gives way to the speciation), and no water content "
                  "saturates it",
                  kSpeciationLimit, 100.0 * (above / below - 1.0));
    return step;
}

void VolatileCalc::calculate_flash_point(double P, double w0, double q0, double yCO2Start,
                                         double FStart, double& w, double& q, double& yCO2out,
                                         double& F) {
    pressure = P;
    calculationError = 0;
    flashInGap_ = false;
    calculateHenryConstants();
    bool failed = false;
    if (volatileSystem == kH2OOnly || volatileSystem == kCO2Only) {
        Newton& n = *newton4_;
        double bulk = volatileSystem == kH2OOnly ? w0 : q0;
        n.context = &bulk;
        failed = volatileSystem == kH2OOnly ? flashFails(n, {bulk, FStart})
                                            : newtonFails(n, {bulk, FStart});
        F = n.x[1];
        if (volatileSystem == kH2OOnly) {
            w = n.x[0];
            q = 0.0;
            yCO2out = 0.0;
        } else {
            q = n.x[0];
            w = 0.0;
            yCO2out = 1.0;
        }
    } else if (volatileSystem == kH2OCO2) {
        Newton& n = *newton3_;
        double bulk[2] = {w0, q0};
        n.context = bulk;
        failed = flashFails(n, {w0, q0, yCO2Start, FStart});
        w = n.x[0];
        q = n.x[1];
        yCO2out = std::clamp(n.x[2], 0.0, 1.0);
        F = n.x[3];
    } else {
        return;
    }
    char state[200];
    vornex::csnprintf(state, sizeof state, " and %g bar (%g wt %% H2O, %g ppm CO2 in all)", P * 1e-5,
                  w0, q0);
    // A water-only melt whose saturation falls in the gap of the step has no state.
    double fPure = 0.0;
    const bool gap = failed && (flashInGap_ || (volatileSystem == kH2OOnly &&
                                                pureFugacity(0, temperature, pressure, fPure) &&
                                                inWaterStep(fPure)));
    flashInGap_ = gap;
    reportFailure(failed, "Failed to calculate flash point of " + describe() + state +
                              (gap ? stepText() : std::string(": the solve did not converge")));
    // Above its saturation pressure the melt holds all the volatiles: the equations are then
    // met by a negative vapour fraction (and melt contents above the bulk), which is no
    // state. At the saturation pressure itself F is 0 to the solve's rounding, and 0.
    if (!failed && F < 0.0 && F >= -kSaturatedVapourFraction) F = 0.0;
    if (!failed && !(F >= 0.0)) {
        char fraction[64];
        vornex::csnprintf(fraction, sizeof fraction, " (vapour fraction %g)", F);
        reportFailure(true, "Flash point of " + describe() + state +
                                ": the melt is not saturated" + fraction);
    }
    if (calculationError == 0) noteRange(P);
}

void VolatileCalc::calculate_vector_function2(double* x, double* F, double**, int& err, int,
                                              void* context) {
    const double* bulk = static_cast<double*>(context);
    const double w = x[0], q = x[1], y = x[2], Fv = x[3];
    if (!(w >= 0.0 && w <= kMaxWater) || !(q >= 0.0 && q <= kMaxCO2) || !vapourFractionTaken(y)) {
        err = 1;
        return;
    }
    setVapourCO2(y);
    calculateMoleFractions(w, q, &xH2Omelt, &xCO2melt, nullptr);
    double fH2O = 0.0, fCO2 = 0.0;
    if (!std::isfinite(xH2Omelt) || !calculateVapourFugacities(fH2O, fCO2)) {
        err = 1;
        return;
    }
    const double mass = 18.0 * yH2O + 44.0 * yCO2;
    F[0] = xH2Omelt * henryH2O - fH2O;
    F[1] = xCO2melt * henryCO2 - fCO2;
    F[2] = 0.01 * bulk[0] - 0.01 * (1.0 - Fv) * w - Fv * 18.0 * yH2O / mass;
    F[3] = 1e-6 * bulk[1] - 1e-6 * (1.0 - Fv) * q - Fv * 44.0 * yCO2 / mass;
}

void VolatileCalc::calculate_vector_function3(double* x, double* F, double**, int& err, int,
                                              void* context) {
    const double bulk = *static_cast<double*>(context);
    const double v = x[0], Fv = x[1];
    const bool water = volatileSystem == kH2OOnly;
    if (!(v >= 0.0 && v <= (water ? kMaxWater : kMaxCO2))) {
        err = 1;
        return;
    }
    double fH2O = 0.0, fCO2 = 0.0, xm = 0.0;
    if (!calculateVapourFugacities(fH2O, fCO2)) {
        err = 1;
        return;
    }
    if (water) {
        calculateMoleFractions(v, 0.0, &xm, nullptr, nullptr);
        if (!std::isfinite(xm)) {
            err = 1;
            return;
        }
        F[0] = xm * henryH2O - fH2O;
        F[1] = 0.01 * bulk - 0.01 * (1.0 - Fv) * v - Fv;
    } else {
        calculateMoleFractions(0.0, v, nullptr, &xm, nullptr);
        F[0] = xm * henryCO2 - fCO2;
        F[1] = 1e-6 * bulk - 1e-6 * (1.0 - Fv) * v - Fv;
    }
}

// ------------------------------------------------------------------------------- curves

namespace {

void writeHeader(CurveOutput& out, const char* suffix, bool withF) {
    const char* s = suffix == nullptr ? "" : suffix;
    out.print("IGOR\nWAVES ");
    if (withF)
        out.print("%5s%s %11s%s %11s%s %11s%s %11s%s %11s%s  %11s%s\n", "T", s, "wt", s, "ppm", s,
                  "P", s, "yH2O", s, "yCO2", s, "F", s);
    else
        out.print("%5s%s %11s%s %11s%s %11s%s %11s%s %11s%s \n", "T", s, "wt", s, "ppm", s, "P", s,
                  "yH2O", s, "yCO2", s);
    out.print("BEGIN\n");
}

// The output of a curve: the suffix and the file checked before anything is computed. The
// suffix ends every wave name of the header both text channels write, so it takes what such a
// name holds.
bool openCurve(CurveOutput& out, const char* file, const char* suffix, bool withF) {
    if (out.isText() && !OutputFiles::checkWaveNameSuffix(suffix == nullptr ? "" : suffix))
        return false;
    if (!out.open(file == nullptr ? "" : file)) return false;
    writeHeader(out, suffix, withF);
    return true;
}

}  // namespace

void VolatileCalc::beginCurve() {
    inCurve_ = true;
    curveFailures_ = 0;
    curveOutsideP_ = 0.0;
}

void VolatileCalc::endCurve(const std::string& curve, int points) {
    inCurve_ = false;
    if (curveFailures_ > 0) {
        calculationError = 1;
        vornex::cfprintf(stderr, "%s: %d of %d points not solved and left out (the last: %s)\n",
                     curve.c_str(), curveFailures_, points, lastFailure_.c_str());
    }
    outsideCalibration = curveOutsideP_ > 0.0 ? 1 : 0;
    // The isobar and the isotherm name their state; a path the first pressure outside.
    char from[48];
    vornex::csnprintf(from, sizeof from, " (at %g bar)", curveOutsideP_ * 1e-5);
    if (outsideCalibration != 0) printRange(curve + (points == 0 ? from : ""));
}

// Rows of the isobar and the isotherm: the point just solved, or nothing when it failed.
void VolatileCalc::writeSaturationRow(CurveOutput& out) {
    if (calculationError != 0) return;
    const double row[6] = {temperature, waterContent, co2Content, pressure * 1e-5, yH2O, yCO2};
    diagnostic("%12lf %12lf\n", waterContent, co2Content);
    out.print("%12f %12f %12f %12f %12f %12f\n", row[0], row[1], row[2], row[3], row[4], row[5]);
    out.row(std::span<const double>(row, 6));
}

void VolatileCalc::calculateSaturationIsobar(double P, const char* file, char mode,
                                             const char* suffix, CurveArray* values) {
    if (!isPositive(P) || !isPositive(temperature)) {
        vornex::cfprintf(stderr, "Saturation isobar: needs a positive pressure and temperature\n");
        return;
    }
    // The pure-H2O end sets where the mixed part starts; without it there is no isobar.
    pressure = P;
    volatileSystem = kH2OOnly;
    beginCurve();
    calculateSaturationPoint(P);
    diagnostic("%12lf %12lf\n", waterContent, co2Content);
    const double wEnd = waterContent;
    if (calculationError != 0 || !std::isfinite(wEnd)) {
        inCurve_ = false;
        vornex::cfprintf(stderr, "Saturation isobar at %g bar skipped: no pure-H2O saturation (%s)\n",
                     P * 1e-5, lastFailure_.c_str());
        calculationError = 1;
        return;
    }
    CurveOutput out(mode, values);
    if (!openCurve(out, file, suffix, false)) {
        inCurve_ = false;
        calculationError = 1;
        return;
    }
    volatileSystem = kH2OCO2;
    // wEnd is at most 100 wt %: at most 5000 rows.
    int points = 0;
    for (int k = 1;; ++k, ++points) {
        const double w = wEnd - 0.02 * k;
        if (!(w > 0.0)) break;
        waterContent = w;
        calculateSaturationPoint(P);
        writeSaturationRow(out);
    }
    volatileSystem = kCO2Only;
    waterContent = 0.0;
    calculateSaturationPoint(P);
    writeSaturationRow(out);
    out.print("END\n");
    const bool written = out.close();
    char curve[96];
    vornex::csnprintf(curve, sizeof curve, "Saturation isobar of %s and %g bar", describe().c_str(),
                  P * 1e-5);
    endCurve(curve, points + 1);
    if (!written) calculationError = 1;
}

void VolatileCalc::calculateSaturationIsotherm(const char* file, char mode, const char* suffix,
                                               CurveArray* values) {
    if (!isPositive(temperature)) {
        vornex::cfprintf(stderr, "Saturation isotherm: needs a positive temperature\n");
        return;
    }
    CurveOutput out(mode, values);
    if (!openCurve(out, file, suffix, false)) {
        calculationError = 1;
        return;
    }
    if (volatileSystem == kH2OOnly) {
        waterContent = 0.01;
        co2Content = 0.0;
    } else if (volatileSystem == kCO2Only) {
        waterContent = 0.0;
        co2Content = 0.01;
    }
    calculateMoleFractions(waterContent, co2Content, &xH2Omelt, &xCO2melt, nullptr);
    beginCurve();
    for (int k = 0; k < 400; ++k) {
        calculateSaturationPoint(1e7 + 1e6 * k);
        writeSaturationRow(out);
    }
    out.print("END\n");
    const bool written = out.close();
    endCurve("Saturation isotherm of " + describe(), 400);
    if (!written) calculationError = 1;
}

void VolatileCalc::calculateDegassingPath(int open, double w0, double q0, const char* file,
                                          char mode, const char* suffix, CurveArray* values) {
    if (!isPositive(temperature) || !(w0 >= 0.0 && w0 <= kMaxWater) ||
        !(q0 >= 0.0 && q0 <= kMaxCO2)) {
        vornex::cfprintf(stderr,
                     "Degassing path: needs a positive temperature, 0 to 100 wt %% H2O and 0 to "
                     "1e6 ppm CO2\n");
        return;
    }
    CurveOutput out(mode, values);
    if (!openCurve(out, file, suffix, true)) {
        calculationError = 1;
        return;
    }
    volatileSystem = w0 < 1e-8 ? kCO2Only : (q0 >= 1e-8 ? kH2OCO2 : kH2OOnly);
    calculateMoleFractions(w0, q0, &xH2Omelt, &xCO2melt, nullptr);
    char curve[160];
    vornex::csnprintf(curve, sizeof curve, "Degassing path of %s from %g wt %% H2O and %g ppm CO2",
                  describe().c_str(), w0, q0);
    beginCurve();
    calculateSaturationPressure();
    double P = pressure;
    if (calculationError != 0 || !isPositive(P)) {
        inCurve_ = false;
        vornex::cfprintf(stderr, "%s: no saturation pressure (%s)\n", curve, lastFailure_.c_str());
        calculationError = 1;
        out.print("END\n");
        out.close();
        return;
    }
    // The vapour fraction each flash starts from: the last state's, but not below this (from
    // the saturation row's 0 the mixed solve wanders off to the melt's own bounds).
    constexpr double kStartVapourFraction = 0.001;
    double bulkW = w0, bulkQ = q0, F = kStartVapourFraction;
    double w = w0, q = q0, y = yCO2;
    int gapPoints = 0;
    double gapFrom = 0.0, gapTo = 0.0;
    std::string gapReason;
    // 10-bar steps; a start above 100 kbar is cut at 10000 steps.
    for (int step = 0; P > 1e6 && step < 10000; ++step, P -= 1e6) {
        if (open != 0 && step > 0) {
            bulkW = w;
            bulkQ = q;
            // Once the melt has lost nearly all its CO2 the mixed flash is near singular (its
            // vapour holds traces of CO2 whose fraction the solve cannot resolve) and it
            // fails: below a practical floor the path goes on with water alone.
            if (volatileSystem == kH2OCO2 && (bulkQ < kTraceMeltCO2 || y < kTraceVapourCO2)) {
                volatileSystem = kH2OOnly;
                bulkQ = 0.0;
            }
        }
        const double FStart = std::fmax(F, kStartVapourFraction);
        double Fnew = F, wNew = w, qNew = q, yNew = y;
        calculate_flash_point(P, bulkW, bulkQ, yCO2, FStart, wNew, qNew, yNew, Fnew);
        if (calculationError != 0 && open != 0 && volatileSystem == kH2OCO2 &&
            y < kTraceVapourRetry) {
            volatileSystem = kH2OOnly;
            bulkQ = 0.0;
            curveFailures_ = 0;
            calculate_flash_point(P, bulkW, bulkQ, yCO2, FStart, wNew, qNew, yNew, Fnew);
        }
        diagnostic("%12.2f %12.2f %12.2f %12.2f\n", P * 1e-5, wNew, qNew, Fnew);
        if (calculationError != 0 && flashInGap_) {
            // No state at this pressure, by the model's own step in molecular water: the
            // path goes on below it, from the melt of the last state.
            if (gapPoints++ == 0) gapFrom = P;
            gapTo = P;
            gapReason = lastFailure_;
            curveFailures_ = 0;
            calculationError = 0;
            continue;
        }
        w = wNew;
        q = qNew;
        y = yNew;
        if (calculationError != 0) {
            // The path ends at its first failed step: one line, not a count.
            curveFailures_ = 0;
            vornex::cfprintf(stderr, "%s ends at %g bar: %s\n", curve, P * 1e-5,
                         lastFailure_.c_str());
            break;
        }
        setVapourCO2(y);
        F = Fnew;
        const double row[7] = {temperature, w, q, P * 1e-5, 1.0 - y, y, F};
        out.print("%12f %12f %12f %12f %12f %12f %12f\n", row[0], row[1], row[2], row[3], row[4],
                  row[5], row[6]);
        out.row(std::span<const double>(row, 7));
    }
    out.print("END\n");
    const bool written = out.close();
    if (gapPoints > 0)
        vornex::cfprintf(stderr, "%s: %d pressures from %g to %g bar left out (%s)\n", curve,
                     gapPoints, gapFrom * 1e-5, gapTo * 1e-5, gapReason.c_str());
    const int failed = calculationError != 0 || gapPoints > 0 || !written ? 1 : 0;
    endCurve(curve, 0);
    calculationError = failed;
}

void VolatileCalc::test() {
    setMagmaType(kBasalt);
    temperature = 1500.0;
    calculateSaturationIsobar(1e8, "isobar.txt", 1, "4", nullptr);
}

}  // namespace vornex

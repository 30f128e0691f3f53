#include "magma/VolatileCalc.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

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
// Below these an open degassing path treats the CO2 left as none.
constexpr double kTraceMeltCO2 = 1e-3;    // ppm in the melt
constexpr double kTraceVapourCO2 = 1e-6;  // mole fraction in the vapour

void bindNewton(Newton& n, VolatileCalc* self, EquationSystem system,
                std::initializer_list<double> scale, std::initializer_list<double> eps) {
    n._setSysEquationToSolve(self, system, static_cast<int>(scale.size()));
    n.numerical = 1;
    int i = 0;
    for (double s : scale) n.scale[i++] = s;
    i = 0;
    for (double e : eps) n.eps[i++] = e;
}

void bindSecant(Secant& s, VolatileCalc* self, EquationFunction f) {
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

}  // namespace

VolatileCalc::VolatileCalc()
    : vapour_(new HollowayEOS(1)),
      newton1_(new Newton),
      newton2_(new Newton),
      newton3_(new Newton),
      newton4_(new Newton),
      secant1_(new Secant),
      secant2_(new Secant),
      secant3_(new Secant) {
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
    bindSecant(*secant1_, this,
               static_cast<EquationFunction>(&VolatileCalc::equationForMoleFractions));
    bindSecant(*secant2_, this,
               static_cast<EquationFunction>(&VolatileCalc::equationForSaturationPressure));
    bindSecant(*secant3_, this,
               static_cast<EquationFunction>(&VolatileCalc::equationForSaturationPoint));
    volatileSystem = kH2OOnly;
    fugacityMixing = 0;
    setMagmaType(kBasalt);
    calculationError = 0;
}

VolatileCalc::~VolatileCalc() = default;

bool VolatileCalc::setMagmaType(int type) {
    if (type != kBasalt && type != kRhyolite) {
        std::fprintf(stderr, "VolatileCalc: magma type %d is not known (1 basalt, 2 rhyolite)\n",
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
        std::fprintf(stderr, "VolatileCalc: no reference fugacity for magma type %d\n", type);
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
                ok = solveVapour(yH2O, yCO2, temperature, pressure);
                fH2O = vapour_->fugacity[0];
                fCO2 = vapour_->fugacity[1];
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
    if (w < kSpeciationLimit) {
        *xH2Omol = std::exp(c.lnFit) * std::pow(w, c.power);
        return;
    }
    double X = nH2O / nMelt;
    Secant& s = *secant1_;
    s.context = &X;
    s.x0 = 0.3 * X;
    s.x1 = 0.99 * s.x0;
    double oh = s.solve();
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

void VolatileCalc::reportFailure(bool failed, const char* message) {
    if (!failed) return;
    std::fputs(message, stderr);
    calculationError = 1;
}

bool VolatileCalc::saturationResiduals(double& rH2O, double& rCO2) {
    double fH2O = 0.0, fCO2 = 0.0;
    if (!calculateVapourFugacities(fH2O, fCO2)) return false;
    calculateHenryConstants();
    rH2O = xH2Omelt * henryH2O - fH2O;
    rCO2 = xCO2melt * henryCO2 - fCO2;
    return true;
}

// ------------------------------------------------------------------ saturation pressure

void VolatileCalc::calculateSaturationPressure() {
    calculationError = 0;
    bool failed = false;
    if (volatileSystem == kH2OOnly || volatileSystem == kCO2Only) {
        Secant& s = *secant2_;
        s.x0 = 1e7;
        s.x1 = 1.01e7;
        const double P = s.solve();
        failed = s.error != 0;
        if (!failed) equationForSaturationPressure(P, nullptr);  // the members at the root
    } else if (volatileSystem == kH2OCO2) {
        const double* x = newton1_->x;
        failed = newtonFails(*newton1_, {1e7, 0.999});
        pressure = x[0];
        setVapourCO2(x[1]);
    } else {
        return;
    }
    reportFailure(failed, "Failed to calculate the saturation point.");
}

double VolatileCalc::equationForSaturationPressure(double P, void*) {
    if (!(P > 0.0)) {
        equationError = 1;
        return 0.0;
    }
    pressure = P;
    double fH2O = 0.0, fCO2 = 0.0;
    if (!calculateVapourFugacities(fH2O, fCO2)) return 0.0;
    calculateHenryConstants();
    return volatileSystem == kH2OOnly ? xH2Omelt * henryH2O - fH2O : xCO2melt * henryCO2 - fCO2;
}

void VolatileCalc::calculate_vector_function(double* x, double* F, double**, int& err, int,
                                             void*) {
    if (!(x[0] > 0.0) || !(x[1] >= 0.0 && x[1] <= 1.0)) {
        err = 1;
        return;
    }
    pressure = x[0];
    setVapourCO2(x[1]);
    if (!saturationResiduals(F[0], F[1])) err = 1;
}

// --------------------------------------------------------------------- saturation point

void VolatileCalc::calculateSaturationPoint(double P) {
    pressure = P;
    calculationError = 0;
    bool failed = false;
    if (volatileSystem == kH2OCO2) {
        const double* x = newton2_->x;
        failed = newtonFails(*newton2_, {10.0, 0.95});
        co2Content = x[0];
        setVapourCO2(x[1]);
        calculateMoleFractions(waterContent, co2Content, &xH2Omelt, &xCO2melt, nullptr);
    } else if (volatileSystem == kH2OOnly || volatileSystem == kCO2Only) {
        double fH2O = 0.0, fCO2 = 0.0;
        if (calculateVapourFugacities(fH2O, fCO2)) {
            calculateHenryConstants();
            double target = volatileSystem == kH2OOnly ? fH2O : fCO2;
            Secant& s = *secant3_;
            s.context = &target;
            s.x0 = 1.0;
            s.x1 = 1.0001;
            const double v = s.solve();
            failed = s.error != 0;
            if (volatileSystem == kH2OOnly) {
                waterContent = v;
                co2Content = 0.0;
                xCO2melt = 0.0;
                calculateMoleFractions(v, 0.0, &xH2Omelt, nullptr, nullptr);
            } else {
                waterContent = 0.0;
                co2Content = v;
                xH2Omelt = 0.0;
                calculateMoleFractions(0.0, v, nullptr, &xCO2melt, nullptr);
            }
        } else {
            equationError = 0;
            failed = true;
        }
    } else {
        return;
    }
    reportFailure(failed, "Failed to calculate the saturation point.\n");
}

void VolatileCalc::calculate_vector_function1(double* x, double* F, double**, int& err, int,
                                              void*) {
    if (!(x[0] >= 0.0 && x[0] <= kMaxCO2) || !(x[1] >= 0.0 && x[1] <= 1.0)) {
        err = 1;
        return;
    }
    co2Content = x[0];
    setVapourCO2(x[1]);
    calculateMoleFractions(waterContent, co2Content, &xH2Omelt, &xCO2melt, nullptr);
    if (!saturationResiduals(F[0], F[1])) err = 1;
}

double VolatileCalc::equationForSaturationPoint(double value, void* context) {
    const double target = *static_cast<double*>(context);
    double x = 0.0;
    if (volatileSystem == kH2OOnly) {
        if (!(value >= 0.0 && value <= kMaxWater)) {
            equationError = 1;
            return 0.0;
        }
        calculateMoleFractions(value, 0.0, &x, nullptr, nullptr);
        return x * henryH2O - target;
    }
    if (!(value >= 0.0 && value <= kMaxCO2)) {
        equationError = 1;
        return 0.0;
    }
    calculateMoleFractions(0.0, value, nullptr, &x, nullptr);
    return x * henryCO2 - target;
}

// -------------------------------------------------------------------------------- flash

void VolatileCalc::calculate_flash_point(double P, double w0, double q0, double yCO2Start,
                                         double FStart, double& w, double& q, double& yCO2out,
                                         double& F) {
    pressure = P;
    calculationError = 0;
    calculateHenryConstants();
    bool failed = false;
    if (volatileSystem == kH2OOnly || volatileSystem == kCO2Only) {
        Newton& n = *newton4_;
        double bulk = volatileSystem == kH2OOnly ? w0 : q0;
        n.context = &bulk;
        failed = newtonFails(n, {bulk, FStart});
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
        failed = newtonFails(n, {w0, q0, yCO2Start, FStart});
        w = n.x[0];
        q = n.x[1];
        yCO2out = n.x[2];
        F = n.x[3];
    } else {
        return;
    }
    reportFailure(failed, "Failed to calculate flash point !\n");
    // Above its saturation pressure the melt holds all the volatiles: the equations are then
    // met by a negative vapour fraction (and melt contents above the bulk), which is no
    // state. At the saturation pressure itself F is 0 to the solve's rounding, and 0.
    if (!failed && F < 0.0 && F >= -kSaturatedVapourFraction) F = 0.0;
    if (!failed && !(F >= 0.0)) {
        std::fprintf(stderr,
                     "Flash point at %g bar: the melt (%g wt %% H2O, %g ppm CO2) is not saturated "
                     "(vapour fraction %g)\n",
                     P * 1e-5, w0, q0, F);
        calculationError = 1;
    }
}

void VolatileCalc::calculate_vector_function2(double* x, double* F, double**, int& err, int,
                                              void* context) {
    const double* bulk = static_cast<double*>(context);
    const double w = x[0], q = x[1], y = x[2], Fv = x[3];
    if (!(w >= 0.0 && w <= kMaxWater) || !(q >= 0.0 && q <= kMaxCO2) || !(y >= 0.0 && y <= 1.0)) {
        err = 1;
        return;
    }
    setVapourCO2(y);
    calculateMoleFractions(w, q, &xH2Omelt, &xCO2melt, nullptr);
    double fH2O = 0.0, fCO2 = 0.0;
    if (!calculateVapourFugacities(fH2O, fCO2)) {
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

// The output of a curve: the suffix and the file checked before anything is computed.
bool openCurve(CurveOutput& out, const char* file, const char* suffix, bool withF) {
    if (out.isIgor() && !OutputFiles::checkSuffix(suffix == nullptr ? "" : suffix)) return false;
    if (!out.open(file == nullptr ? "" : file)) return false;
    writeHeader(out, suffix, withF);
    return true;
}

}  // namespace

// Rows of the isobar and the isotherm.
static void writeSaturationRow(CurveOutput& out, const VolatileCalc& v) {
    const double row[6] = {v.temperature, v.waterContent, v.co2Content, v.pressure * 1e-5, v.yH2O,
                           v.yCO2};
    diagnostic("%12lf %12lf\n", v.waterContent, v.co2Content);
    out.print("%12f %12f %12f %12f %12f %12f\n", row[0], row[1], row[2], row[3], row[4], row[5]);
    out.row(std::span<const double>(row, 6));
}

void VolatileCalc::calculateSaturationIsobar(double P, const char* file, char mode,
                                             const char* suffix, CurveArray* values) {
    if (!isPositive(P) || !isPositive(temperature)) {
        std::fprintf(stderr, "Saturation isobar: needs a positive pressure and temperature\n");
        return;
    }
    // The pure-H2O end sets where the mixed part starts; without it there is no isobar.
    pressure = P;
    volatileSystem = kH2OOnly;
    calculateSaturationPoint(P);
    diagnostic("%12lf %12lf\n", waterContent, co2Content);
    const double wEnd = waterContent;
    if (calculationError != 0 || !std::isfinite(wEnd)) {
        std::fprintf(stderr, "Saturation isobar at %g bar skipped: no pure-H2O saturation\n",
                     P * 1e-5);
        return;
    }
    CurveOutput out(mode, values);
    if (!openCurve(out, file, suffix, false)) return;
    volatileSystem = kH2OCO2;
    // wEnd is at most 100 wt %: at most 5000 rows.
    for (int k = 1;; ++k) {
        const double w = wEnd - 0.02 * k;
        if (!(w > 0.0)) break;
        waterContent = w;
        calculateSaturationPoint(P);
        writeSaturationRow(out, *this);
    }
    volatileSystem = kCO2Only;
    waterContent = 0.0;
    calculateSaturationPoint(P);
    writeSaturationRow(out, *this);
    out.print("END\n");
    out.close();
}

void VolatileCalc::calculateSaturationIsotherm(const char* file, char mode, const char* suffix,
                                               CurveArray* values) {
    if (!isPositive(temperature)) {
        std::fprintf(stderr, "Saturation isotherm: needs a positive temperature\n");
        return;
    }
    CurveOutput out(mode, values);
    if (!openCurve(out, file, suffix, false)) return;
    if (volatileSystem == kH2OOnly) {
        waterContent = 0.01;
        co2Content = 0.0;
    } else if (volatileSystem == kCO2Only) {
        waterContent = 0.0;
        co2Content = 0.01;
    }
    calculateMoleFractions(waterContent, co2Content, &xH2Omelt, &xCO2melt, nullptr);
    for (int k = 0; k < 400; ++k) {
        calculateSaturationPoint(1e7 + 1e6 * k);
        diagnostic("%12lf %12lf\n", waterContent, co2Content);
        const double row[6] = {temperature, waterContent, co2Content, pressure * 1e-5, yH2O, yCO2};
        out.print("%12f %12f %12f %12f %12f %12f\n", row[0], row[1], row[2], row[3], row[4],
                  row[5]);
        out.row(std::span<const double>(row, 6));
    }
    out.print("END\n");
    out.close();
}

void VolatileCalc::calculateDegassingPath(int open, double w0, double q0, const char* file,
                                          char mode, const char* suffix, CurveArray* values) {
    if (!isPositive(temperature) || !(w0 >= 0.0 && w0 <= kMaxWater) ||
        !(q0 >= 0.0 && q0 <= kMaxCO2)) {
        std::fprintf(stderr,
                     "Degassing path: needs a positive temperature, 0 to 100 wt %% H2O and 0 to "
                     "1e6 ppm CO2\n");
        return;
    }
    CurveOutput out(mode, values);
    if (!openCurve(out, file, suffix, true)) return;
    volatileSystem = w0 < 1e-8 ? kCO2Only : (q0 >= 1e-8 ? kH2OCO2 : kH2OOnly);
    calculateMoleFractions(w0, q0, &xH2Omelt, &xCO2melt, nullptr);
    calculateSaturationPressure();
    double P = pressure;
    if (calculationError != 0 || !isPositive(P)) {
        std::fprintf(stderr, "Degassing path: no saturation pressure for %g wt %% H2O, %g ppm CO2\n",
                     w0, q0);
        out.print("END\n");
        out.close();
        return;
    }
    double bulkW = w0, bulkQ = q0, F = 0.001;
    double w = w0, q = q0, y = yCO2;
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
        double Fnew = F;
        calculate_flash_point(P, bulkW, bulkQ, yCO2, F, w, q, y, Fnew);
        diagnostic("%12.2f %12.2f %12.2f %12.2f\n", P * 1e-5, w, q, Fnew);
        if (calculationError != 0) break;
        setVapourCO2(y);
        F = Fnew;
        const double row[7] = {temperature, w, q, P * 1e-5, 1.0 - y, y, F};
        out.print("%12f %12f %12f %12f %12f %12f %12f\n", row[0], row[1], row[2], row[3], row[4],
                  row[5], row[6]);
        out.row(std::span<const double>(row, 7));
    }
    out.print("END\n");
    out.close();
}

void VolatileCalc::test() {
    setMagmaType(kBasalt);
    temperature = 1500.0;
    calculateSaturationIsobar(1e8, "isobar.txt", 1, "4", nullptr);
}

}  // namespace vornex

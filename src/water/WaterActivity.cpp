#include "water/WaterActivity.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <functional>

#include "fluid/Phase.h"
#include "numerics/Solver.h"
#include "water/WaterEOS.h"

namespace vornex::water {

namespace {

// 1:1 virial form shared by the Pitzer-type models.
double pitzerForm(double aPhi, double m, double beta0, double beta1, double thirdVirial) {
    double sm = std::sqrt(m);
    return 1.0 - aPhi * sm / (1.0 + 1.2 * sm) + m * (beta0 + beta1 * std::exp(-2.0 * sm)) +
           m * m * thirdVirial;
}

// a1 + a2/T + a3 T^2/6 + a4 T^3/12 + a5 T^4/20.
double thurmondFunction(double T, const double (&a)[5]) {
    double T2 = T * T;
    return a[0] + a[1] / T + a[2] * T2 / 6.0 + a[3] * T2 * T / 12.0 + a[4] * T2 * T2 / 20.0;
}

}  // namespace

double epsilonBradleyPitzer(double T, double Pbar, double* dEdP) {
    double eps1000 = 342.79 * std::exp(-0.0050866 * T + 9.469e-7 * T * T);
    double C = -2.0525 + 3115.9 / (T - 182.89);
    double B = -8032.5 + 4.2142e6 / T + 2.1417 * T;
    if (dEdP) *dEdP = C / (B + Pbar);
    return eps1000 + C * std::log((B + Pbar) / (B + 1000.0));
}

bool bradleyPitzerRange(double T, double Pbar) {
    if (!(T >= 273.15 && T <= 623.15 && Pbar <= 1000.0)) return false;
    return Pbar * 1e5 >= WaterEOS::saturationPressureWagnerPruss(T) * (1.0 - 1e-9);
}

bool pitzer84Range(double T, double Pbar, double m) {
    return T >= 273.15 && T <= 573.15 && Pbar <= 1000.0 && m >= 0.0 && m <= 6.0;
}

double debyeHuckelSlope(double T, double rhoW, double epsilon) {
    // 2 pi N_A (1/mol), e^2 (C^2), 4 pi eps0 (F/m), k (J/K).
    constexpr double kTwoPiAvogadro = 3.783820108259437e24;
    constexpr double kElementaryChargeSquared = 2.566971139329e-38;
    constexpr double kFourPiVacuumPermittivity = 1.1126500558499942e-10;
    constexpr double kBoltzmann = 1.38065812e-23;
    double bjerrum =
        kElementaryChargeSquared / (epsilon * kFourPiVacuumPermittivity * kBoltzmann * T);
    return std::sqrt(kTwoPiAvogadro * rhoW) * std::pow(bjerrum, 1.5) / 3.0;
}

double pitzer84OsmoticCoefficient(double T, double P, double aPhi, double m) {
    using W = WaterEOS;
    double P2 = P * P, P3 = P2 * P;
    double beta0 = W::P84_X0 / T + W::P84_X1 + W::P84_X2 * std::log(T) + W::P84_X3 * P +
                   W::P84_X4 * P2 + W::P84_X5 * P3 +
                   (W::P84_X6 + W::P84_X7 * P + W::P84_X8 * P2 + W::P84_X9 * P3) * T +
                   (W::P84_X10 + W::P84_X11 * P + W::P84_X12 * P2) * T * T +
                   (W::P84_X13 + W::P84_X14 * P + W::P84_X15 * P2 + W::P84_X16 * P3) / (T - 227.0) +
                   (W::P84_X17 + W::P84_X18 * P + W::P84_X19 * P2 + W::P84_X20 * P3) / (680.0 - T);
    double beta1 = W::P84_X21 / T + W::P84_X22 + W::P84_X23 * T + W::P84_X24 / (T - 227.0);
    double cPhi = W::P84_X25 / T + W::P84_X26 + W::P84_X27 * P + W::P84_X28 * std::log(T) +
                  (W::P84_X29 + W::P84_X30 * P) * T + (W::P84_X31 + W::P84_X32 * P) * T * T +
                  (W::P84_X33 + W::P84_X34 * P) / (T - 227.0) +
                  (W::P84_X35 + W::P84_X36 * P) / (680.0 - T);
    return pitzerForm(aPhi, m, beta0, beta1, cPhi);
}

double thurmondOsmoticCoefficient(double T, double aPhi, double m) {
    constexpr double kBeta0[5] = {15.32498, -2009.44, -0.00179001, 1.15601e-5, -1.90346e-8};
    constexpr double kBeta1[5] = {51.4936, -6515.42, -0.00658529, 4.49459e-5, -7.8664e-8};
    constexpr double kC[5] = {-1.068278, 142.6202, 0.000122262, -7.80262e-7, 1.27174e-9};
    return pitzerForm(aPhi, m, thurmondFunction(T, kBeta0), thurmondFunction(T, kBeta1),
                      2.0 * thurmondFunction(T, kC));
}

double meanActivityFromOsmotic(double m, const std::function<double(double)>& phi) {
    if (!(m >= 0.0 && std::isfinite(m))) return std::nan("");
    if (m == 0.0) return 1.0;
    // Gibbs-Duhem: ln gamma = (phi - 1) + integral of (phi - 1)/m' dm' from 0 to m. With
    // s = sqrt(m') the integrand 2 (phi - 1)/s is smooth down to s = 0 (where (phi - 1)/s
    // tends to minus the Debye-Hueckel slope): 16-point Gauss-Legendre on [0, sqrt(m)].
    static constexpr double kNode[8] = {0.0950125098376374, 0.2816035507792589, 0.4580167776572274,
                                        0.6178762444026438, 0.7554044083550030, 0.8656312023878318,
                                        0.9445750230732326, 0.9894009349916499};
    static constexpr double kWeight[8] = {
        0.1894506104550685, 0.1826034150449236, 0.1691565193950025, 0.1495959888165767,
        0.1246289712555339, 0.0951585116824928, 0.0622535239386479, 0.0271524594117541};
    const double half = 0.5 * std::sqrt(m);
    double integral = 0.0;
    for (int i = 0; i < 8; ++i) {
        for (double sign : {-1.0, 1.0}) {
            const double si = half * (1.0 + sign * kNode[i]);
            integral += kWeight[i] * 2.0 * (phi(si * si) - 1.0) / si;
        }
    }
    return std::exp(phi(m) - 1.0 + half * integral);
}

double debyeHuckelOsmoticCoefficient(double aPhi, double m) {
    return 1.0 - aPhi * std::sqrt(m);
}

double debyeHuckelActivityCoefficient(double aPhi, double m) {
    return std::exp(-3.0 * aPhi * std::sqrt(m));
}

double waterActivityFromOsmotic(double m, double phi) {
    return std::exp(-2.0 * 0.018 * m * phi);
}

double waterActivityDebyeHuckel(double m, double phi) {
    return std::exp(-2.0 * m * phi / 55.50844);
}

double iceActivity(double T, double PPa) {
    double g = 4.1855 * (-3497.82 + 168.746 * T - 30.256 * T * std::log(T) + 0.05637 * T * T -
                         0.00012876 * T * T * T / 6.0) -
               1.5123e-6 * PPa;
    return std::exp(g / (-kGasConstant * T));
}

double iceMeltingTemperature(double PPa) {
    double lo = 263.15, hi = 283.15;  // ice below, liquid above
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        (iceActivity(mid, PPa) < 1.0 ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

double weightPercentFromMolality(double m) {
    return 100.0 * 58.5 * m / (1000.0 + 58.5 * m);
}

double saltMoleFraction(double m) {
    return m / (m + 55.50847203605297);
}

}  // namespace vornex::water

namespace vornex {

namespace {

// What the ice-melting residual needs besides the state: the activity of ice and the
// reduction of the water activity.
struct IceMeltingContext {
    double iceActivity;
    double y;
};

}  // namespace

double WaterEOS::calculateEpsilon_BradleyPitzer(double TK, double Pbar, FILE* out, char setState,
                                                double* dEdP) {
    if (setState) {
        temperature(TK);
        pressure(Pbar);
        calculate_molar_volume();
    }
    double epsilon = water::epsilonBradleyPitzer(TK, Pbar, dEdP);
    if (!water::bradleyPitzerRange(TK, Pbar) || !std::isfinite(epsilon)) {
        error = 1;
        epsilon = std::nan("");
        if (dEdP) *dEdP = epsilon;
    }
    if (out) {
        vornex::cfprintf(out, "%12lg %12lg %12lg %12lg %12lg %12lg %12s %12s %12s\n", TK, Pbar, V * 1e6,
                     M / V * 1e-3, epsilon, -1.0 / epsilon, "nan", "nan", "nan");
    }
    return epsilon;
}

// The Debye-Hueckel slope at the current state: Bradley-Pitzer epsilon at T and P, the water
// density of the state's molar volume.
static double slopeAtState(WaterEOS& w) {
    double epsilon = water::epsilonBradleyPitzer(w.T, w.P * 1e-5);
    return water::debyeHuckelSlope(w.T, kWaterMolarMass / w.V, epsilon);
}

void WaterEOS::calculatePitzer84(double m, double& aw, double& gamma, double& phi) {
    const double aPhi = slopeAtState(*this), Pbar = P * 1e-5;
    auto osmotic = [&](double mm) { return water::pitzer84OsmoticCoefficient(T, Pbar, aPhi, mm); };
    phi = osmotic(m);
    aw = water::waterActivityFromOsmotic(m, phi);
    gamma = water::meanActivityFromOsmotic(m, osmotic);
}

void WaterEOS::calculateThurmond(double m, double& aw, double& gamma, double& phi) {
    const double aPhi = slopeAtState(*this);
    auto osmotic = [&](double mm) { return water::thurmondOsmoticCoefficient(T, aPhi, mm); };
    phi = osmotic(m);
    aw = water::waterActivityFromOsmotic(m, phi);
    gamma = water::meanActivityFromOsmotic(m, osmotic);
}

void WaterEOS::calculateDebyeHuckel(double m, double& aw, double& gamma, double& phi) {
    double aPhi = slopeAtState(*this);
    phi = water::debyeHuckelOsmoticCoefficient(aPhi, m);
    gamma = water::debyeHuckelActivityCoefficient(aPhi, m);
    aw = water::waterActivityDebyeHuckel(m, phi);
}

void WaterEOS::calculateActivity(double m, double& aw, double& b, double& phi) {
    // A molality that is no amount of salt, or a state without a volume, has no activity.
    if (!(m >= 0.0 && std::isfinite(m)) || !(V > 0.0 && std::isfinite(V)) || !(T > 0.0)) {
        aw = b = phi = std::nan("");
        error = 1;
        return;
    }
    // The models are those of salt in liquid water: steam (0.59 kg/m3 at 373.15 K and 1 bar)
    // or water above its critical temperature has no water activity of theirs, whatever
    // number the formulas give there.
    if (!(T < kWaterCriticalTemperature && M / V > kWaterCriticalDensity)) {
        aw = b = phi = std::nan("");
        error = 1;
        return;
    }
    switch (activityModel) {
        case 0:
            calculatePitzer84(m, aw, b, phi);
            break;
        case 1:
            calculateThurmond(m, aw, b, phi);
            break;
        default:
            calculateDebyeHuckel(m, aw, b, phi);
            break;
    }
    // Outside a model's range its osmotic coefficient falls to 0 and below (a water activity
    // above 1 in a salt solution): no result. The Pitzer 1984 equations still give numbers
    // past the states they were fitted to; those carry the flag.
    error = std::isfinite(aw) && std::isfinite(phi) && phi > 0.0 ? 0 : 1;
    // P / 1e5: 1e8 Pa is the range's 1000 bar, which P 1e-5 made 1000.0000000000001.
    if (activityModel == 0 && !water::pitzer84Range(T, P / 1e5, m)) error = 1;
}

void WaterEOS::calculateIceActivity(double& a) {
    a = water::iceActivity(T, P);
}

double WaterEOS::equationForIceMelting(double m, void* context) {
    calculate_molar_volume();
    if (error) {
        equationError = 1;
        return 0.0;
    }
    IceMeltingContext fallback{water::iceActivity(T, P), 0.0};
    const IceMeltingContext& ice =
        context ? *static_cast<const IceMeltingContext*>(context) : fallback;
    calculateActivity(m, waterActivity, meanActivityCoefficient, osmoticCoefficient);
    if (error) {
        equationError = 1;
        return 0.0;
    }
    return ice.iceActivity - (1.0 - ice.y) * waterActivity;
}

void WaterEOS::calculateIceMeltingH2ONaCl(double TK, double y) {
    // Below the eutectic the brine freezes to ice and hydrohalite: a liquid on the ice curve
    // there is metastable, and the molality found would be taken for a stable one.
    constexpr double kEutecticT = 251.94;  // K, -21.21 degC
    if (!(TK >= kEutecticT)) {
        vornex::cfprintf(stderr, "Ice melting: %g K lies below the H2O-NaCl eutectic (%g K)\n", TK,
                     kEutecticT);
        error = 1;
        return;
    }
    temperature(TK);
    pressure(1.0);
    IceMeltingContext ice{0.0, y};
    calculateIceActivity(ice.iceActivity);
    // The freezing-point model is the ice curve's own; the caller's model stays selected.
    const int32_t callersModel = activityModel;
    activityModel = 1;
    Secant secant;
    secant.equation = this;
    secant.function = static_cast<EquationFunction>(&WaterEOS::equationForIceMelting);
    secant.context = &ice;
    secant.x0 = 0.0;
    secant.x1 = 0.001;
    secant.tolerance = 1e-9;
    secant.itermax = 15;
    double root = secant.solve();
    activityModel = callersModel;
    // A failed search keeps the molality of the last one and says so through the flag.
    error = secant.error != 0 ? 1 : 0;
    if (!error) saltMolality = root;
}

}  // namespace vornex

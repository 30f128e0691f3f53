#include "water/WaterDielectric.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/OutputFiles.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace water {

namespace {

// One term c t^a rho^b of a dielectric polynomial, t the temperature variable.
struct Term {
    double c;
    int a, b;
};

template <std::size_t N>
DielectricValue evaluate(const Term (&terms)[N], double t, double rho) {
    DielectricValue value;
    for (const Term& term : terms) {
        double ta = std::pow(t, term.a);
        double rb = std::pow(rho, term.b);
        value.eps += term.c * ta * rb;
        if (term.b > 0) value.dEdRho += term.b * term.c * ta * std::pow(rho, term.b - 1);
        if (term.a != 0) {
            value.dEdT += term.a * term.c * std::pow(t, term.a - 1) * rb;
            value.d2EdT2 += term.a * (term.a - 1) * term.c * std::pow(t, term.a - 2) * rb;
        }
    }
    return value;
}

// The reduced form shared by Johnson-Norton and Uematsu-Franck, k1..k10 in the order of the
// header's formula.
constexpr int kReducedShape[10][2] = {{-1, 1}, {0, 2}, {-1, 2}, {1, 2},  {-1, 3},
                                      {1, 3},  {2, 3}, {0, 4},  {-1, 4}, {-2, 4}};

struct ReducedForm {
    Term terms[11];
};

constexpr ReducedForm reducedForm(const double (&k)[10]) {
    ReducedForm form{};
    form.terms[0] = {1.0, 0, 0};
    for (int i = 0; i < 10; ++i)
        form.terms[i + 1] = {k[i], kReducedShape[i][0], kReducedShape[i][1]};
    return form;
}

constexpr double kReferenceTemperature = 298.15;  // K

constexpr ReducedForm kJohnsonNorton =
    reducedForm({14.70333593, -115.4445173, 212.8462733, 19.55210915, -83.3034798, 32.13240048,
                 -6.694098645, -27.29401652, 68.87359646, -37.86202045});
constexpr ReducedForm kUematsuFranck =
    reducedForm({7.62571, -140.569, 244.003, 27.7841, -96.2805, 41.7909, -10.2099, -35.8644,
                 84.6395, -45.2059});

constexpr Term kHelgesonKirkham[15] = {
    {439.109592, 0, 0},     {-218.995148, 0, 1},   {18.2898246, 0, 2},     {154.8868, 0, 3},
    {-61.3542375, 0, 4},    {-2.33277456, 1, 0},   {1.00498361, 1, 1},     {-0.208896146, 1, 2},
    {-0.0613941874, 1, 3},  {0.00461662109, 2, 0}, {-0.00135650709, 2, 1}, {0.000160491325, 2, 2},
    {-4.03643333e-6, 3, 0}, {5.94046919e-7, 3, 1}, {1.31604037e-9, 4, 0},
};

}  // namespace

DielectricValue epsilonJohnsonNorton(double T, double rho) {
    return evaluate(kJohnsonNorton.terms, T / kReferenceTemperature, rho);
}

DielectricValue epsilonUematsuFranck(double T, double rho) {
    return evaluate(kUematsuFranck.terms, T / kReferenceTemperature, rho);
}

DielectricValue epsilonHelgesonKirkham(double T, double rho) {
    return evaluate(kHelgesonKirkham, T, rho);
}

double epsilonPitzer(double T, double rho, double molarMass) {
    // 12 pi N_A alpha (cm3/mol), 4 pi N_A mu^2 (erg cm3/mol), k (erg/K).
    constexpr double kPolarisationTerm = 32.783;
    constexpr double kDipoleTerm = 2.5621002717046297e-11;
    constexpr double kBoltzmann = 1.38054e-16;
    double perMole = rho / (1000.0 * molarMass);
    double g = 1.0 + 2.68 * rho + 6.69 * std::pow(rho, 5) * (std::pow(565.0 / T, 0.3) - 1.0);
    double A = 1.0 + kPolarisationTerm * perMole + kDipoleTerm / kBoltzmann * perMole / T * g;
    return (A + std::sqrt(A * A + 8.0)) / 4.0;
}

bool pitzerDielectricRange(double T) {
    return T >= kPitzerDielectricLowestT;
}

}  // namespace water

namespace {

// Evaluates the state (T, V) when asked; the density in g/cm3 of the state's molar volume.
double dielectricState(WaterEOS& w, double TK, double Vm3, char flag) {
    if (flag) {
        w.temperature(TK);
        w.volume(Vm3);
        w.calculate_state_functions();
    }
    return w.M / Vm3 * 1e-3;
}

// The table line of a polynomial model with Q, Y and X:
//   Q = (-M/V^2)(d eps/d rho)/(eps^2 dP/dV),  Y = (d eps/dt)/eps^2,
//   X = (d2 eps/dt2)/eps^2 - 2 eps Y^2,
// d eps/d rho per g/cm3 with M/V^2 in kg/m3 per m3/mol, t the model's temperature variable.
double writeDielectricLine(WaterEOS& w, FILE* out, double TK, double Vm3, double rho,
                           const water::DielectricValue& d) {
    if (out) {
        double eps2 = d.eps * d.eps;
        double Q = (-w.M / (Vm3 * Vm3)) * d.dEdRho / (eps2 * w.dPdV);
        double Y = d.dEdT / eps2;
        double X = d.d2EdT2 / eps2 - 2.0 * d.eps * Y * Y;
        vornex::cfprintf(out, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", TK, w.P * 1e-5,
                     Vm3 * 1e6, rho, d.eps, -1.0 / d.eps, Q, Y, X);
    }
    return d.eps;
}

}  // namespace

namespace {

// No medium has a dielectric constant below 1: a polynomial taken beyond its fit that gives
// one gives no value (NaN with the flag). On the caller's state (stateSet 0) the flag is this
// call's own; on a state it evaluated, that evaluation's stands.
water::DielectricValue physicalOnly(WaterEOS& w, water::DielectricValue value, char stateSet) {
    if (!(value.eps >= 1.0) || !std::isfinite(value.eps)) {
        w.error = 1;
        value.eps = value.dEdRho = value.dEdT = value.d2EdT2 = std::nan("");
    } else if (!stateSet) {
        w.error = 0;
    }
    return value;
}

}  // namespace

double WaterEOS::calculateEpsilon_JohnsonNorton(double TK, double Vm3, FILE* out, char flag) {
    double rho = dielectricState(*this, TK, Vm3, flag);
    return writeDielectricLine(*this, out, TK, Vm3, rho,
                               physicalOnly(*this, water::epsilonJohnsonNorton(TK, rho), flag));
}

double WaterEOS::calculateEpsilon_UematsuFranck(double TK, double Vm3, FILE* out, char flag) {
    double rho = dielectricState(*this, TK, Vm3, flag);
    return writeDielectricLine(*this, out, TK, Vm3, rho,
                               physicalOnly(*this, water::epsilonUematsuFranck(TK, rho), flag));
}

double WaterEOS::calculateEpsilon_HelgesonKirkam(double TK, double Vm3, FILE* out, char flag) {
    double rho = dielectricState(*this, TK, Vm3, flag);
    water::DielectricValue value = water::epsilonHelgesonKirkham(TK, rho);
    // A polynomial fitted to liquid and dense supercritical water: in steam it has no
    // limit of 1 (it goes negative near 400 degC at 1 bar).
    if (!(TK >= 273.15 && TK <= 873.15 && rho >= 0.3)) value.eps = std::nan("");
    return writeDielectricLine(*this, out, TK, Vm3, rho, physicalOnly(*this, value, flag));
}

double WaterEOS::calculateEpsilon_Pitzer(double TK, double Vm3, FILE* out, char flag) {
    double rho = dielectricState(*this, TK, Vm3, flag);
    double eps = water::epsilonPitzer(TK, rho, M);
    // The correlation factor was fitted to water at 573.15 K and above: below it the value
    // drifts from the measured one (88.7 at 298.15 K and 1 bar for 78.4), and is flagged.
    if (!water::pitzerDielectricRange(TK)) {
        error = 1;
    } else if (!flag) {
        error = 0;
    }
    if (out) {
        vornex::cfprintf(out, "%12lg %12lg %12lg %12lg %12lg %12lg %12s %12s %12s\n", TK, P * 1e-5,
                     Vm3 * 1e6, rho, eps, -1.0 / eps, "nan", "nan", "nan");
    }
    return eps;
}

void WaterEOS::calculateEpsilonGrid(double T0, double T1, double P0, double P1,
                                    const char* suffix) {
    if (!OutputFiles::checkSuffix(suffix)) return;
    OutputFile file;
    if (!file.open(std::string("eps") + suffix)) return;
    file.print(
        "IGOR\n\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s  %11s%s  %11s%s  %11s%s  %11s%s\n"
        "BEGIN\n",
        "T", suffix, "P", suffix, "V", suffix, "rho", suffix, "e", suffix, "Z", suffix, "Q", suffix,
        "Y", suffix, "X", suffix);
    for (double TK = T0; TK <= T1; TK += 1.0) {
        for (double Pbar = P0; Pbar <= P1; Pbar += 1.0) {
            temperature(TK);
            pressure(Pbar);
            calculate_molar_volume();
            if (error) continue;
            calculateEpsilon_JohnsonNorton(TK, V, file.stream(), 1);
        }
    }
    file.print("END\n");
    file.commit();
}

}  // namespace vornex

// Viscosity and thermal conductivity of ordinary water substance, the IAPS formulations of
// 1985 (Sengers and Kamgar-Parsi, J. Phys. Chem. Ref. Data 13 (1984) 185; Sengers, Watson,
// Basu, Kamgar-Parsi and Hendricks, ibid. 13 (1984) 893), with reduced variables
// Tbar = T/647.27 K, rhobar = rho/317.763 kg/m3, P* = 22.115 MPa:
//   eta = eta0(Tbar) eta1(Tbar, rhobar) eta2,  lambda = lambda0 lambda1 + lambda2.
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

constexpr double kTstar = 647.27;     // K
constexpr double kRhoStar = 317.763;  // kg/m3

// sqrt(Tbar) / sum_i a_i / Tbar^i, the dilute-gas form of both properties.
double dilutePart(double Tbar, const double (&a)[4]) {
    double sum = 0.0;
    for (int i = 3; i >= 0; --i) sum = sum / Tbar + a[i];
    return std::sqrt(Tbar) / sum;
}

// exp(rhobar sum_ij b_ij (1/Tbar - 1)^i (rhobar - 1)^j), the dense-fluid factor.
template <int I, int J>
double denseFactor(double Tbar, double rhobar, const double (&b)[I][J]) {
    double u = 1.0 / Tbar - 1.0, r = rhobar - 1.0;
    double sum = 0.0, ui = 1.0;
    for (int i = 0; i < I; ++i) {
        double row = 0.0;
        for (int j = J - 1; j >= 0; --j) row = row * r + b[i][j];
        sum += ui * row;
        ui *= u;
    }
    return std::exp(rhobar * sum);
}

constexpr double kViscosityA[4] = {0.0181583, 0.0177624, 0.0105287, -0.0036744};
constexpr double kViscosityB[6][7] = {
    {0.5132047, 0.2151778, -0.2818107, 0.1778064, -0.0417661, 0.0, 0.0},
    {0.3205656, 0.7317883, -1.070786, 0.4605040, 0.0, -0.01578386, 0.0},
    {0.0, 1.241044, -1.263184, 0.2340379, 0.0, 0.0, 0.0},
    {0.0, 1.476783, 0.0, -0.4924179, 0.1600435, 0.0, -0.003629481},
    {-0.7782567, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
    {0.1885447, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
};
// The older viscosity equation that the conductivity's critical enhancement divides by.
constexpr double kOldViscosityB[6][5] = {
    {0.501938, 0.235622, -0.274637, 0.145831, -0.0270448},
    {0.162888, 0.789393, -0.743539, 0.263129, -0.0253093},
    {-0.130356, 0.673665, -0.959456, 0.347247, -0.0267758},
    {0.907919, 1.207552, -0.687343, 0.213486, -0.0822904},
    {-0.551119, 0.0670665, -0.497089, 0.100754, 0.0602253},
    {0.146543, -0.084337, 0.195286, -0.032932, -0.0202595},
};
constexpr double kConductivityA[4] = {2.022230, 14.11166, 5.255970, -2.018700};
constexpr double kConductivityB[5][6] = {
    {1.3293046, -0.40452437, 0.2440949, 0.018660751, -0.12961068, 0.044809953},
    {1.7018363, -2.2156845, 1.6511057, -0.76736002, 0.37283344, -0.1120316},
    {5.2246158, -10.124111, 4.9874687, -0.27297694, -0.43083393, 0.13333849},
    {8.7127675, -9.5000611, 4.3786606, -0.91783782, 0.0, 0.0},
    {-1.8525999, 0.9340469, 0.0, 0.0, 0.0, 0.0},
};

// rhobar (d rhobar / d Pbar)_T = kT P* rho^2 / rho*^2.
double reducedSusceptibility(double rho, double kT) {
    return kT * 219.01824251112023 * rho * rho;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double WaterEOS::calculateViscosity(double TK, double PPa, double rho, double kT) {
    double Pbar = PPa * 1e-5, t = TK - 273.15;
    if (Pbar > 5000.01 || (Pbar > 3500.01 && t > 150.01) || (Pbar > 3000.01 && t > 600.01) ||
        t > 900.01)
        return kNaN;
    double Tbar = TK / kTstar, rhobar = rho / kRhoStar;
    double eta = dilutePart(Tbar, kViscosityA) * 1e-6 * denseFactor(Tbar, rhobar, kViscosityB);
    double chi = reducedSusceptibility(rho, kT);
    if (Tbar >= 0.997 && Tbar <= 1.0082 && rhobar >= 0.755 && rhobar <= 1.29 && chi >= 22.0)
        eta *= 0.922 * std::pow(chi, 0.0263);
    return eta;
}

double WaterEOS::calculateConductivity(double TK, double PPa, double rho, double alpha, double kT) {
    double Pbar = PPa * 1e-5, t = TK - 273.15;
    if (Pbar > 4000.01 || (Pbar > 2000.01 && t > 125.01) || (Pbar > 1500.01 && t > 400.01) ||
        t > 800.01)
        return kNaN;
    double Tbar = TK / kTstar, rhobar = rho / kRhoStar;
    double lambda = dilutePart(Tbar, kConductivityA) * denseFactor(Tbar, rhobar, kConductivityB);
    double oldViscosity =
        dilutePart(Tbar, kViscosityA) * 1e-6 * denseFactor(Tbar, rhobar, kOldViscosityB);
    // (T*/P*)(dP/dT)_rho = (T*/P*) alpha/kT.
    double dPdTbar = alpha * 2.9268369884693646e-5 / kT;
    double chi = reducedSusceptibility(rho, kT);
    double ratio = Tbar / rhobar;
    lambda += 3.7711e-8 / oldViscosity * ratio * ratio * dPdTbar * dPdTbar * std::sqrt(rhobar) *
              std::pow(chi, 0.4678) *
              std::exp(-18.66 * (Tbar - 1.0) * (Tbar - 1.0) - std::pow(rhobar - 1.0, 4));
    return lambda;
}

namespace {

// The columns of a transport row, in the order of the transport grid.
struct TransportRow {
    double T, P, V, rho, eta0, eta, lambda0, lambda, nu, kappa, prandtl, alpha, sound;
};

TransportRow transportRow(WaterEOS& w) {
    TransportRow r{};
    r.T = w.T;
    r.P = w.P * 1e-5;
    r.V = w.V * 1e6;
    r.rho = w.M / w.V;
    double kT = -1.0 / (w.V * w.dPdV);
    r.alpha = w.dVdT / w.V;
    r.eta0 = dilutePart(w.T / kTstar, kViscosityA) * 1e-6;
    r.eta = WaterEOS::calculateViscosity(w.T, w.P, r.rho, kT);
    r.lambda0 = dilutePart(w.T / kTstar, kConductivityA);
    r.lambda = WaterEOS::calculateConductivity(w.T, w.P, r.rho, r.alpha, kT);
    r.nu = r.eta / r.rho;
    double cpMass = w.Cp / w.M;
    r.kappa = r.lambda / (r.rho * cpMass);
    r.prandtl = r.nu / r.kappa;
    r.sound = w.soundSpeed;
    return r;
}

void writeTransportRow(FILE* out, const TransportRow& r) {
    vornex::cfprintf(out, "%12f %12f %12f %12f %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n",
                 r.T, r.P, r.V, r.rho, r.eta0, r.eta, r.lambda0, r.lambda, r.nu, r.kappa, r.prandtl,
                 r.alpha, r.sound);
}

void writeNaNRow(OutputFile& file) {
    for (int i = 0; i < 13; ++i) file.print(i == 0 ? "%12s" : " %12s", "nan");
    file.print("\n");
}

}  // namespace

void WaterEOS::calculateTransportProperties(double TK, double Vm3, FILE* out, char flag) {
    if (flag) {
        temperature(TK);
        volume(Vm3);
        calculate_state_functions();
    }
    if (out) writeTransportRow(out, transportRow(*this));
}

void WaterEOS::calculateTransportGrid(double T0, double T1, double V0, double V1,
                                      const char* suffix) {
    if (!(T0 > 0.0) || !(V0 > 0.0) || !std::isfinite(T1) || !std::isfinite(V1)) {
        vornex::cfprintf(stderr,
                     "calculateTransportGrid: temperatures and molar volumes must be positive "
                     "numbers (T0 %g K, V0 %g m3/mol)\n",
                     T0, V0);
        return;
    }
    if (!OutputFiles::checkSuffix(suffix)) return;
    OutputFile file;
    if (!file.open(std::string("transport") + suffix)) return;
    static const char* const names[13] = {"T",    "P",       "V",       "rho", "eta0",
                                          "eta1", "lambda0", "lambda1", "nu",  "kappa",
                                          "pr",   "ab",      "sound"};
    file.print("IGOR\n\nWAVES");
    for (const char* name : names) file.print(" %11s%s", name, suffix);
    file.print("\nBEGIN\n");
    for (double TK = T0; TK <= T1; TK += 5.0) {
        double step = 1e-8;
        bool inUnstableStretch = false;
        for (double Vm3 = V0; Vm3 <= V1; Vm3 += step) {
            temperature(TK);
            volume(Vm3);
            calculate_state_functions();
            if (error || !(dPdV <= 0.0)) {
                // One row of "nan" stands for the whole unstable stretch.
                if (!inUnstableStretch) writeNaNRow(file);
                inUnstableStretch = true;
                continue;
            }
            inUnstableStretch = false;
            writeTransportRow(file.stream(), transportRow(*this));
            // The volume change of about 100 bar, within [1e-8, 1e-6] m3/mol.
            step = dPdV < 0.0 ? std::fmin(1e-6, std::fmax(1e-8, -1e7 / dPdV)) : 1e-6;
        }
        writeNaNRow(file);
    }
    file.print("END\n");
    file.commit();
}

}  // namespace vornex

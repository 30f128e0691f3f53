#include "puregas/CH4EOS.h"

#include <cmath>

#include "puregas/GasComparison.h"
#include "puregas/PureGasModel.h"

namespace vornex {

namespace {

constexpr double kCorrelationMolarMass = 0.016;  // kg/mol, the correlations' methane

// Methane saturated at its triple point and at 100 K (Setzmann and Wagner, J. Phys. Chem. Ref.
// Data 20 (1991) 1061): T (K), P (Pa), saturated liquid density (kg/m3). Starting
// values below the correlations' range, where an equation's extra loop near the triple point
// lies in wait for a start on the wrong side of it.
struct SaturatedMethane {
    double T, P, rhoLiquid;
};
constexpr SaturatedMethane kTriple{90.6941, 11696.0, 451.48};
constexpr SaturatedMethane k100K{100.0, 34376.0, 438.89};

// The linear link of the correlations' saturated phases, 1/rho_l = c0 + c1 rho_v (kg/m3).
// Up to this liquid density (kg/m3) the correlations start the liquid Th solve.
constexpr double kContinuationDensity = 350.0;
constexpr double kLinkC0 = 0.0023175;
constexpr double kLinkC1 = 1.7294e-05;

// Vennix, Leland and Kobayashi (J. Chem. Eng. Data 15 (1970) 238): T (°C), P (bar) and
// the measured molar volume (cm3/mol) of methane.
struct VennixRow {
    double tC, Pbar, Vcm3;
};
constexpr VennixRow kVennix[] = {
    {-49.32, 38.48, 392},  {-33.35, 42.59, 392},  {-20.32, 45.9, 392},   {-10.28, 48.56, 392},
    {-29.38, 88.94, 155},  {-10.96, 103.61, 155}, {-43.1, 83.61, 155},   {-24.71, 100.76, 138.7},
    {-20.3, 105.76, 138.6}, {-10.11, 114.23, 138.6}, {-48.13, 225.97, 57}, {-40.07, 259.96, 57},
    {-14.51, 366.6, 57},   {-6.4, 400.09, 57},
};

}  // namespace

CH4EOS::CH4EOS(int nTerms, int phase, char extraTerm)
    : PureGasPhase(nTerms, phase, extraTerm) {
    Tlowest = 100.0;
    Ttriple = kTriple.T;
    Vl0 = 4e-05;
    Vv0 = 10000.0;
}

CH4EOS::~CH4EOS() = default;

double CH4EOS::get_saturation_pressure_from_temperature(double TK) {
    const double x = 1.0 / TK;
    return std::exp(((-1.5261e7 * x + 269530.0) * x - 2718.8) * x + 12.876);
}

double CH4EOS::get_saturation_liquid_density_from_temperature(double TK) {
    const double x = 1.0 / TK;
    return ((((((2.22390396733e20 * x - 1.22534320071e19) * x + 2.87719671015e17) * x -
               3.73221937311e15) * x + 2.88880716119e13) * x - 1.33451041544e11) * x +
            340853760.188) * x - 371276.186715;
}

double CH4EOS::get_saturation_vapour_density_from_temperature(double TK) {
    const double T = TK;
    return ((((((1.507456071e-10 * T - 1.476737086e-07) * T + 6.159580845e-05) * T -
               0.01417702859) * T + 1.944281102) * T - 158.8598971) * T + 7159.45145) * T -
           137283.4763;
}

double CH4EOS::get_saturation_temperature_from_liquid_density(double rho) {
    return (((9.0633e-09 * rho - 1.1633e-05) * rho + 0.0041869) * rho - 0.59061) * rho + 220.32;
}

double CH4EOS::get_saturation_temperature_from_vapour_density(double rho) {
    return 191.61 - 64.197 * std::exp(-0.029868 * rho) - 27.659 * std::exp(-0.49601 * rho);
}

void CH4EOS::initializeSaturationVolumesFromT(const char* component, double TK) {
    if (TK >= kTriple.T - 10.0 && TK < 100.0) {
        // Between the published triple point and 100 K: ln P linear in 1/T and the liquid
        // density linear in T, the vapour an ideal gas.
        const double w = (TK - kTriple.T) / (k100K.T - kTriple.T);
        const double lnP = std::log(kTriple.P) + (std::log(k100K.P) - std::log(kTriple.P)) *
                                                     (1.0 / TK - 1.0 / kTriple.T) /
                                                     (1.0 / k100K.T - 1.0 / kTriple.T);
        Vl0 = kCorrelationMolarMass / (kTriple.rhoLiquid + w * (k100K.rhoLiquid - kTriple.rhoLiquid));
        Vv0 = gasConstant * TK / std::exp(lnP);
        return;
    }
    if (!(TK >= 100.0 && TK <= 190.0)) {
        FluidPhase::initializeSaturationVolumesFromT(component, TK);
        return;
    }
    Vl0 = kCorrelationMolarMass / get_saturation_liquid_density_from_temperature(TK);
    Vv0 = kCorrelationMolarMass / get_saturation_vapour_density_from_temperature(TK);
}

int CH4EOS::calculateLiquidTh(double Vm3) {
    if (!(Vm3 > 0.0) || !std::isfinite(Vm3)) return FluidPhase::calculateLiquidTh(Vm3);
    const double rho = kCorrelationMolarMass / Vm3;
    Vv0 = kCorrelationMolarMass / ((1.0 / rho - kLinkC0) / kLinkC1);
    temperature(get_saturation_temperature_from_liquid_density(rho));
    const int code = solveTh(Vm3, true);
    if (code == 0) return code;
    if (rho > kContinuationDensity) {
        // Liquids denser than about 405 kg/m3 (Th below 125 K) lie where the correlations'
        // start misses the model's saturation: follow the model's own saturated liquid up
        // from a lighter one, each Th the start of the next.
        Vv0 = kCorrelationMolarMass / ((1.0 / kContinuationDensity - kLinkC0) / kLinkC1);
        temperature(get_saturation_temperature_from_liquid_density(kContinuationDensity));
        double done = kContinuationDensity;
        if (solveTh(kCorrelationMolarMass / done, true) == 0) {
            double step = 10.0, Tlast = T, Vvlast = Vv;
            while (done < rho && step > 0.05) {
                const double next = std::fmin(done + step, rho);
                temperature(Tlast);
                Vv0 = Vvlast;
                if (solveTh(kCorrelationMolarMass / next, true) == 0) {
                    done = next, Tlast = T, Vvlast = Vv;
                } else {
                    step *= 0.5;
                }
            }
            if (done >= rho) return 0;
        }
    }
    // Where the correlations' saturation is not the model's (Duan's methane, critical at
    // 197 K), or below about 101 K, where the solve in (T, Vv) cannot meet its residual (the
    // pressures, a tenth of a bar, finer than the rounding of a liquid whose V dP/dV is some
    // 1e10 Pa), the model's own saturated liquid brackets the Th.
    return homogeniseOnOwnSaturation(Vm3, true) == 0 ? 0 : code;
}

int CH4EOS::calculateGasTh(double Vm3) {
    if (!(Vm3 > 0.0) || !std::isfinite(Vm3)) return FluidPhase::calculateGasTh(Vm3);
    const double rho = kCorrelationMolarMass / Vm3;
    Vl0 = kCorrelationMolarMass * (kLinkC1 * rho + kLinkC0);
    temperature(get_saturation_temperature_from_vapour_density(rho));
    const int code = solveTh(Vm3, false);
    if (code == 0 || homogeniseOnOwnSaturation(Vm3, false) == 0) return 0;
    return code;
}

void CH4EOS::test(int flag) {
    if (flag != 0) return;
    calculateLiquidTh(kCorrelationMolarMass / 350.0);
    calculateGasTh(kCorrelationMolarMass / 150.0);
}

double CH4EOS::compareVennixData(FluidPhase*, std::FILE* out) {
    VolumeReference states[std::size(kVennix)];
    for (size_t i = 0; i < std::size(kVennix); ++i)
        states[i] = {273.15 + kVennix[i].tC, kVennix[i].Pbar, 1e-6 * kVennix[i].Vcm3};
    return printVolumeDeviations(*this, "T", states, out);
}

int CH4EOS::compareWithIUPAC(FluidPhase* other, std::FILE* out) {
    if (other == nullptr) return 0;
    return printModelGrid(*this, *other, true, out);
}

// ------------------------------------------------------------------------ DuanCH4

DuanCH4::DuanCH4(int phase) : CH4EOS(1, phase, 0) {
    setUpDuanGas(*this, "CH4", "DMW CH4", 3.5e-05, 2e-04);
    Tcrit = 190.6;
    Vcrit = 6e-05;
}

DuanCH4::~DuanCH4() = default;

void DuanCH4::test(char flag) {
    if (flag == 1) compareVennixData(this);
}

}  // namespace vornex

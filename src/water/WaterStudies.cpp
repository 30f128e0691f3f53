// Water-specific drivers of the fluid framework's searches and tracers (homogenisation
// temperatures of inclusions, tie lines, isobars, the characteristic curves) and the
// comparisons of water models and correlations with reference data. Each driver only
// supplies water start values; the searches report through the phase error flag, and the
// drivers print what the search left.
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "water/WagnerPruss.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

constexpr double kCelsius = 273.15;
// A vapour-filled inclusion homogenises into its vapour above this volume (m3/mol).
constexpr double kGasThVolume = 5.55e-5;

// Temperatures (degC) of the comparison tables and their pressures (bar): 1, 20, 50, 100,
// 200-1000 by 100, 1200-5000 by 200, 5500-10000 by 500 (43 rows).
constexpr double kTableTemperatures[] = {0, 100, 200, 300, 400, 500, 600, 800, 1000, 1200};

std::vector<double> tablePressures() {
    std::vector<double> p = {1, 20, 50, 100};
    for (int i = 200; i <= 1000; i += 100) p.push_back(i);
    for (int i = 1200; i <= 5000; i += 200) p.push_back(i);
    for (int i = 5500; i <= 10000; i += 500) p.push_back(i);
    return p;
}

void printTableHeader(FILE* out) {
    vornex::cfprintf(out, "P(bar)\\ T(°C)");
    for (double t : kTableTemperatures) vornex::cfprintf(out, "%12lg ", t);
    vornex::cfprintf(out, "\n");
}

// Prints one table with the deviation (%) of `value` from `reference` at each (T, P).
template <typename Value, typename Reference>
void printDeviationTable(FILE* out, Value value, Reference reference) {
    printTableHeader(out);
    for (double p : tablePressures()) {
        vornex::cfprintf(out, "%12lg ", p);
        for (double t : kTableTemperatures) {
            const double ref = reference(t + kCelsius, p);
            const double v = value(t + kCelsius, p);
            vornex::cfprintf(out, "%12lg ", (v - ref) / ref * 100.0);
        }
        vornex::cfprintf(out, "\n");
    }
}

}  // namespace

int WaterEOS::calculateTheGasTh(double Vcm3) {
    if (!(Vcm3 > 0.0) || !std::isfinite(Vcm3)) {
        vornex::cfprintf(stderr, "Gas homogenisation: the molar volume must be positive\n");
        forgetSaturation();
        error = 1;
        return 1;
    }
    const double L = std::log(Vcm3);
    temperature(std::exp(7.04504231299006 - 0.130194579559476 * L + 0.00179470130185289 * L * L +
                         3.32014300901018e-5 * L * L * L));
    Vl0 = 1e-6 * (20.9387929271077 + 0.217076546518033 * std::log(13.8487614368128 / Vcm3) +
                  1798.33184834792 / Vcm3);
    return calculateGasTh(1e-6 * Vcm3);
}

int WaterEOS::calculateTheLiquidTh(double Vcm3) {
    if (!(Vcm3 > 0.0) || !std::isfinite(Vcm3)) {
        vornex::cfprintf(stderr, "Liquid homogenisation: the molar volume must be positive\n");
        forgetSaturation();
        error = 1;
        return 1;
    }
    const double V = Vcm3;
    double TK, Vv;
    if (V < 18.1) {
        TK = 260.0, Vv = 10.0;
    } else if (V < 18.5) {
        TK = 270.0, Vv = 9.0;
    } else if (V < 19.0) {
        TK = 350.0, Vv = 0.025;
    } else if (V <= 54.5) {
        TK = kWaterCriticalTemperature -
             std::exp(14.9654329526504 - 0.812655984755887 * V + 0.0215482178896008 * V * V -
                      0.000242797227397963 * V * V * V);
        Vv = 1e-6 / (0.0341799588157568 - 0.00486713863208795 * V + 0.000230978544813378 * V * V -
                     4.15463124598044e-6 * V * V * V + 2.66204975647033e-8 * V * V * V * V);
    } else {
        TK = 647.07, Vv = 5.6e-05;
    }
    temperature(TK);
    Vv0 = Vv;
    return calculateLiquidTh(1e-6 * Vcm3);
}

void WaterEOS::calculateTheDensityFromTh(double Th) {
    if (!(Th > 0.0) || !(Th < kWaterCriticalTemperature)) {
        vornex::cfprintf(stderr, "Density from Th: %g K is not a homogenisation temperature\n", Th);
        forgetSaturation();
        error = 1;
        return;
    }
    temperature(Th);
    if (Th > 645.0) {
        Vl0 = 4.25e-05;
        Vv0 = 8e-05;
    } else {
        Vl0 = 1e-6 * (18 + 222.696313581804 / (656 - Th) - 0.0124765285296984 * Th +
                      3.51447215521434e-5 * Th * Th);
        Vv0 = 1e-6 / (0.137167373884685 / (656 - Th) - 5.88561578503622e-6 * Th +
                      1.28026723861313e-8 * Th * Th);
    }
    calculate_saturation_pressure();
}

void WaterEOS::calculateTheFluidInclusionProperties(double TK, double Pbar, FILE* out) {
    calculateFromTP(TK, Pbar, 0);
    if (error) {
        vornex::cfprintf(out, "No state at %g K and %g bar\n", TK, Pbar);
        return;
    }
    const double Vm3 = V;
    vornex::cfprintf(out,
                 "V %.2f cm3/mol\t\tDensity : %.3lf\t\tTtrap : %.2f K (%.2f°C)\t\tPtrap : %.2f "
                 "bar\n",
                 Vm3 * 1e6, rho * 1e-3, TK, TK - kCelsius, Pbar);
    if (Vm3 >= kGasThVolume)
        calculateTheGasTh(Vm3 * 1e6);
    else
        calculateTheLiquidTh(Vm3 * 1e6);
    if (error)
        vornex::cfprintf(out, "No homogenisation found\n");
    else
        vornex::cfprintf(out, "Th %.2f K (%.2f°C)\t\tPh : %.2f bar\n", T, T - kCelsius, P * 1e-5);
    calculateTheIsochor(Vm3, error ? 273.15 : T, TK > T ? TK : T + 200.0, 0, 1, "", nullptr);
}

void WaterEOS::gasThAction(double Vcm3) {
    calculateTheGasTh(Vcm3);
}
void WaterEOS::liquidThAction(double Vcm3) {
    calculateTheLiquidTh(Vcm3);
}

void WaterEOS::calculateTheGasThs(std::istream& in) {
    _askCalculate("V (cm3/mol) (0 to quit) : ", static_cast<EquationAction>(&WaterEOS::gasThAction),
                  in);
}

void WaterEOS::calculateTheLiquidThs(std::istream& in) {
    _askCalculate(
        "V (cm3/mol) (0 to quit) : ", static_cast<EquationAction>(&WaterEOS::liquidThAction), in);
}

void WaterEOS::calculateTheConodes(std::istream& in) {
    _askCalculate("T (K) (0 to quit) :  ",
                  static_cast<EquationAction>(&WaterEOS::calculateTheConodeInteractiveFromT), in);
}

void WaterEOS::calculateTheConodeFromT(double TK, char igor, const char* suffix) {
    initializeSaturationVolumesFromT("H2O", TK);
    FluidPhase::calculateTheConodeFromT(TK, igor, suffix);
}

void WaterEOS::calculateTheConodeFromP(double Pbar, char igor, const char* suffix) {
    initializeSaturationVolumesFromP("H2O", Pbar);
    FluidPhase::calculateTheConodeFromP(Pbar, T, igor, suffix);
}

void WaterEOS::calculateTheConodeInteractiveFromT(double TK) {
    calculateTheConodeFromT(TK, 1, "0");
}

void WaterEOS::calculateTheIsobar(double Pbar, char side, char igor, const char* suffix,
                                  CurveArray* array) {
    if (!(Pbar > 0.0) || !std::isfinite(Pbar)) {
        vornex::cfprintf(stderr, "Isobar: the pressure must be positive\n");
        error = 1;
        return;
    }
    if (side == 0) {
        const double p = Pbar;
        const double Vm3 =
            1e-6 * (18.1989311759086 - 0.0012675705556222 * p + 2.98646503779991e-07 * p * p -
                    4.77805887640509e-11 * p * p * p + 3.85907803820556e-15 * p * p * p * p -
                    1.1913794257711e-19 * p * p * p * p * p);
        calculate_TV_isobar(Pbar, 250.0, Vm3, 200.0, 1500.0, 1e-05, 0.1, 1.0, 1e-06, 1, igor,
                            suffix, array);
    } else {
        const double L = std::log(Pbar);
        const double Vm3 =
            1e-6 *
            std::exp(11.7516697467697 - 0.989794976769644 * L - 0.0035783991297222 * L * L -
                     0.000878267081583461 * L * L * L + 7.88713857922376e-05 * L * L * L * L +
                     1.43278632219953e-05 * L * L * L * L * L);
        calculate_TV_isobar(Pbar, 1500.0, Vm3, 200.0, 1500.0, 1.6e-05, 1.0, -1.0, -1e-05, 1, igor,
                            suffix, array);
    }
}

void WaterEOS::specialCurve(const char* prefix, char igor, const char* suffix,
                            void (FluidPhase::*tracer)(const char*, double, double, double, double,
                                                       double, char, const char*),
                            const double (&branches)[2][5]) {
    const std::string s = suffix == nullptr ? "" : suffix;
    if (!OutputFiles::checkSuffix(s)) {
        error = 1;
        return;
    }
    for (int b = 0; b < 2; ++b) {
        const std::string path = prefix + s + static_cast<char>('0' + b);
        const double* a = branches[b];
        (this->*tracer)(path.c_str(), a[0], a[1], a[2], a[3], a[4], igor, suffix);
    }
}

void WaterEOS::calculateTheJouleCurve(char igor, const char* suffix) {
    static constexpr double kBranches[2][5] = {{473.15, 1.9e-05, 1, 470.15, 6000},
                                               {473.15, 1.9e-05, -1, 250, 1000}};
    specialCurve("joul", igor, suffix, &FluidPhase::calculateJouleCurve, kBranches);
}

void WaterEOS::calculateTheIdealCurve(char igor, const char* suffix) {
    static constexpr double kBranches[2][5] = {{473.15, 2e-05, 1, 470.15, 6000},
                                               {473.15, 2e-05, -1, 250, 1000}};
    specialCurve("ideal", igor, suffix, &FluidPhase::calculateIdealCurve, kBranches);
}

void WaterEOS::calculateTheBoyleCurve(char igor, const char* suffix) {
    static constexpr double kBranches[2][5] = {{473.15, 2e-05, 1, 470.15, 6000},
                                               {473.15, 2e-05, -1, 250, 1000}};
    specialCurve("boyle", igor, suffix, &FluidPhase::calculateBoyleCurve, kBranches);
}

void WaterEOS::calculateTheJouleThomsonCurve(char igor, const char* suffix) {
    static constexpr double kBranches[2][5] = {{473.15, 2e-05, 1, 470.15, 6000},
                                               {473.15, 2e-05, -1, 0, 1000}};
    specialCurve("joule", igor, suffix, &FluidPhase::calculateJouleThomsonInversionCurve,
                 kBranches);
}

double WaterEOS::compareNBSSteamTable(FluidPhase* model, FILE* out) {
    if (model == nullptr) return std::nan("");
    static constexpr double kT[] = {1200, 1600, 2000};
    static constexpr double kP[] = {100, 1000, 5000, 10000};
    static constexpr double kV[4][3] = {{1224.3, 1564.0, 1900.3},
                                        {124.2, 163.3, 199.7},
                                        {33.58, 41.49, 49.18},
                                        {23.47, 27.15, 30.82}};
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) {
            const double TK = kT[j] + kCelsius;
            model->calculateFromTP(TK, kP[i], 0);
            const double Vcalc = model->error ? std::nan("") : model->V * 1e6;
            const double dev = (Vcalc - kV[i][j]) / kV[i][j] * 100.0;
            vornex::cfprintf(out, "T %12lg\tP %12lg\tVcalc %12lg\tVexp %12lg\tDev(%%) %12lg\n", TK,
                         kP[i], Vcalc, kV[i][j], dev);
            if (std::isfinite(dev)) sum += std::fabs(dev), ++count;
        }
    const double aad = count > 0 ? sum / count : std::nan("");
    vornex::cfprintf(out, "AADP %lg\n", aad);
    return aad;
}

namespace {

// Fugacity coefficient of the first component at (T, P bar); NaN when there is no state.
double firstFugacityCoefficient(FluidPhase& f, double TK, double Pbar) {
    f.temperature(TK);
    f.pressure(Pbar);
    f.calculate_molar_volume();
    if (f.error) return std::nan("");
    f.calculate_fugacities();
    if (f.error || f.fugacityCoefficient.empty()) return std::nan("");
    return f.fugacityCoefficient[0];
}

}  // namespace

void WaterEOS::compareWithEOS(FluidPhase* model, FILE* out) {
    if (model == nullptr) return;
    printDeviationTable(
        out, [&](double TK, double p) { return firstFugacityCoefficient(*model, TK, p); },
        [&](double TK, double p) { return firstFugacityCoefficient(*this, TK, p); });
}

namespace {

double referenceVolume(WagnerPruss& water, double TK, double Pbar) {
    water.calculateFromTP(TK, Pbar, 0);
    return water.error ? std::nan("") : water.V;
}

}  // namespace

void WaterEOS::compareSpiveyWithIUPAC(FILE* out) {
    WagnerPruss water(2);
    printDeviationTable(
        out, [](double TK, double p) { return calculateSpiveyVolume(TK, p, nullptr); },
        [&](double TK, double p) { return referenceVolume(water, TK, p); });
}

void WaterEOS::compareKellWithIUPAC(FILE* out) {
    WagnerPruss water(2);
    printDeviationTable(
        out, [](double TK, double p) { return calculateKellVolume(TK, p); },
        [&](double TK, double p) { return referenceVolume(water, TK, p); });
}

bool WaterEOS::checkHighPTExtrapolation() {
    static constexpr double kRef[12][3] = {
        {523.15, 50000, 12.08},  {773.15, 15000, 16.37},  {773.15, 20000, 15.38},
        {773.15, 25000, 14.72},  {1073.15, 25000, 15.98}, {1073.15, 70000, 12.48},
        {1373.15, 10000, 23.71}, {1373.15, 80000, 12.62}, {1773.15, 1000, 153.69},
        {1773.15, 10000, 27.85}, {1773.15, 20000, 20.65}, {1773.15, 100000, 12.49}};
    OutputFile file;
    if (!file.open("extra")) return false;
    for (const auto& r : kRef) {
        calculateFromTP(r[0], r[1], 0);
        const double Vcalc = error ? std::nan("") : V * 1e6;
        file.print("%12f %12f %12f %12f %12f\n", r[0], r[1], Vcalc, r[2],
                   (Vcalc - r[2]) / r[2] * 100.0);
    }
    return file.commit();
}

void WaterEOS::checkCp(FILE* out) {
    constexpr double kPbar = 250.0;
    vornex::cfprintf(out, "T(K)\tP(bar)\tCv(J/mol/K)\tCp(J/mol/K)\n");
    for (double TK = 300.0; TK <= 1000.0; TK += 50.0) {
        calculateFromTP(TK, kPbar, 0);
        if (error) {
            vornex::cfprintf(out, "%g\t%g\tno state\n", TK, kPbar);
            continue;
        }
        calculate_state_functions();
        vornex::cfprintf(out, "%g\t%g\t%g\t%g\n", TK, kPbar, Cv, Cp);
    }
}

}  // namespace vornex

// Melting curves of ice Ih, III, V, VI and VII and the sublimation curve of ice Ih (Wagner,
// Saul and Pruss, J. Phys. Chem. Ref. Data 23 (1994) 515, the IAPWS release of 1993),
// closed-form volumes of water (Kell) and of NaCl solutions on the saturation curve (Haas),
// and the shift of the state functions to the apparent molal scale.
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/OutputFiles.h"
#include "water/CorrelationPolynomial.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

constexpr double kTriplePointTemperature = 273.16;   // K
constexpr double kTriplePointPressure = kWaterTriplePointPressureBar;

// Melting curve of a high-pressure ice from its triple point (tn K, pn MPa): p/pn = 1 -
// a (1 - (T/tn)^e), in bar.
struct HighPressureIce {
    double tn, pn, a, e;
};

double meltingPressure(const HighPressureIce& ice, double TK) {
    return 10.0 * ice.pn * (1.0 - ice.a * (1.0 - std::pow(TK / ice.tn, ice.e)));
}

constexpr HighPressureIce kIceIII{251.165, 209.9, 0.295252, 60.0};
constexpr HighPressureIce kIceV{256.164, 350.1, 1.18721, 8.0};
constexpr HighPressureIce kIceVI{273.31, 632.4, 1.07476, 4.6};

// Header of the sublimation and melting tables: Igor text or a commented column table.
bool openCurveTable(OutputFile& file, const char* prefix, char igor, const char* suffix) {
    if (!OutputFiles::checkSuffix(suffix)) return false;
    if (!file.open(std::string(prefix) + suffix)) return false;
    file.print(igor == 1 ? "IGOR\nWAVES " : "# ");
    if (suffix[0] != '\0') {
        file.print("%5s%s\t%12s%s\n", "P", suffix, "T", suffix);
    } else {
        file.print("%9s\t%12s\n", "P(1)", "T(2)");
    }
    if (igor == 1) file.print("BEGIN\n");
    return true;
}

void closeCurveTable(OutputFile& file, char igor) {
    if (igor == 1) file.print("END\n");
    file.commit();
}

}  // namespace

double WaterEOS::calculateMeltingP(double TK) {
    double theta = TK / kTriplePointTemperature;
    return kTriplePointPressure * (1.0 - 626000.0 * (1.0 - std::pow(theta, -3.0)) +
                                   197135.0 * (1.0 - std::pow(theta, 21.2)));
}

double WaterEOS::calculateMeltingP1(double TK) {
    if (TK < kIceV.tn) return meltingPressure(kIceIII, TK);
    if (TK < kIceVI.tn) return meltingPressure(kIceV, TK);
    if (TK < 355.0) return meltingPressure(kIceVI, TK);
    double theta = TK / 355.0;
    return 22160.0 *
           std::exp(1.73683 * (1.0 - 1.0 / theta) - 0.0544606 * (1.0 - std::pow(theta, 5)) +
                    8.06106e-8 * (1.0 - std::pow(theta, 22)));
}

const char* WaterEOS::highPressureIceAt(double TK) {
    if (TK < kIceV.tn) return "ice III";
    if (TK < kIceVI.tn) return "ice V";
    if (TK < 355.0) return "ice VI";
    return "ice VII";
}

double WaterEOS::calculateSublimationP(double TK) {
    double theta = TK / kTriplePointTemperature;
    return kTriplePointPressure * std::exp(-13.928169 * (1.0 - std::pow(theta, -1.5)) +
                                           34.7078238 * (1.0 - std::pow(theta, -1.25)));
}

double WaterEOS::calculateKellVolume(double TK, double Pbar) {
    double t = TK - 273.15;
    double dp = 1e5 * Pbar - 101325.0;
    double rho0 = 999.7288674246;
    if (t > 0.0) {
        rho0 = water::polynomial(t, {999.7288674246, 17.47708651063, -0.006264585790285,
                                     -0.0001441155798427, 9.946550817119e-7, -2.570908432001e-9}) /
               (1.0 + 0.0173501647237 * t);
    }
    double B = water::polynomial(t, {372.5521271008, 1.034746625297, -0.006070583965464,
                                     -0.0002686165304632, 3.516845517367e-6, -1.053116366218e-8});
    double A = water::polynomial(
        t, {6.484328907587, 0.05740478812446, -0.0001316385847198, -6.523885561357e-7});
    double C = water::polynomial(t, {318.4478303394, 1.455981185666, -0.01040326427194,
                                     -0.0002844295376173, 3.789774548168e-6, -1.132544975117e-8});
    // Per mole of water: the density over the molar mass (0.01801528 kg/mol; a factor of
    // 0.01805153 made every volume 0.2 % large).
    return 0.01801528 * (1.0 + 1e-11 * C * dp) /
           (rho0 * (1.0 + 1e-11 * B * dp + 1e-19 * A * dp * dp));
}

double WaterEOS::calculateHaasVolume(double TK, double m) {
    // Haas, U.S. Geol. Surv. Bull. 1421-A (1976): specific volume of liquid water (cm3/g) on
    // the saturation curve, tau = 647.27 - T, x = tau^(1/3).
    double tau = 647.27 - TK;
    double x = std::cbrt(tau);
    double tau4 = tau * tau * tau * tau;
    double vWater = (3.1975 - 0.315154 * x - 0.001203374 * tau + 7.48908e-13 * tau4) /
                    (1.0 + 0.1342489 * x - 0.003946263 * tau);
    double r = vWater / (3.1975 - vWater);
    double w = std::sqrt(m) * (13.97 * vWater - 13.644) * r * r;
    // Volume (cm3) of the solution holding 1 kg of water over its mass (g).
    return (1000.0 * vWater + m * (w + 448.55 * vWater - 167.219 - 261.07 * vWater * vWater)) /
           (1000.0 + 58.4428 * m);
}

void WaterEOS::convertToMolalApparent() {
    S += 63.334986;
    U -= 284141.0385;
    H -= 287824.2785;
    G -= 218301.21022424;
    A -= 214638.89772424;
}

void WaterEOS::calculateSublimationCurve(char igor, const char* suffix) {
    OutputFile file;
    if (!openCurveTable(file, "sublim", igor, suffix)) return;
    // The pressures fall to 1e-7 bar at 190 K: a fixed six decimals would print the cold
    // end as a column of zeros.
    auto row = [&](double TK) { file.print("%12.6e\t%12f\n", calculateSublimationP(TK), TK); };
    row(kTriplePointTemperature);
    for (int i = 0; i < 83; ++i) row(272.16 - i);
    row(190.0);
    closeCurveTable(file, igor);
}

void WaterEOS::calculateMeltingCurve(char igor, const char* suffix) {
    OutputFile file;
    if (!openCurveTable(file, "melt", igor, suffix)) return;
    auto row = [&](double Pbar, double TK) { file.print("%12f\t%12f\n", Pbar, TK); };
    row(calculateMeltingP(kTriplePointTemperature), kTriplePointTemperature);
    for (int i = 0; i < 21; ++i) row(calculateMeltingP(272.16 - i), 272.16 - i);
    row(calculateMeltingP(kIceIII.tn), kIceIII.tn);
    row(calculateMeltingP1(kIceIII.tn), kIceIII.tn);
    for (int i = 0; i < 463; ++i) row(calculateMeltingP1(252.165 + i), 252.165 + i);
    closeCurveTable(file, igor);
}

}  // namespace vornex

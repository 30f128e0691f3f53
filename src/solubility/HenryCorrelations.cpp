#include "solubility/HenryCorrelations.h"

#include <cmath>
#include <cstring>

#include "numerics/Decimal.h"
#include "water/WaterEOS.h"

namespace vornex::henry {

namespace {
struct WilhelmRow {
    const char* names[2];
    double A, B, C, D;
};
// Wilhelm, Battino and Wilcock (1977), Table I (A, B in cal/mol, C, D as printed there).
constexpr WilhelmRow kWilhelm[] = {
    {{"CH4", "C1"}, -365.183, 18106.7, 49.7554, -0.000285},
    {{"C2H6", "C2"}, -533.392, 26565.0, 74.624, -0.004573},
    {{"C3H8", "C3"}, -628.866, 31638.4, 88.0808, 0.0},
    {{"iC4", "iC4H10"}, 190.982, -4913.0, -34.5102, 0.0},
    {{"nC4", "nC4H10"}, -639.209, 32785.7, 89.1483, 0.0},
    {{"H2S", nullptr}, -297.158, 16347.7, 40.2024, 0.002571},
    {{"N2", nullptr}, -327.85, 16757.6, 42.84, 0.016765},
    {{"CO2", nullptr}, -317.658, 17371.2, 43.0607, -0.002191},
};
constexpr double kCalorieGasConstant = 1.9872;  // cal/(mol K)
}  // namespace

double co2(double TK) {
    // The T term is 0.0011055 (it once read 0.00011055, a shifted decimal that made CO2 a
    // third more soluble at 25 degC and twice as soluble at 200 degC).
    return 101325.0 * std::exp(160.27 - 8764.5 / TK - 21.726 * std::log(TK) + 0.0011055 * TK);
}

double h2s(double TK) {
    return 100000.0 * std::exp(151.52 - 8335.5 / TK - 20.499 * std::log(TK) - 0.001311 * TK);
}

double co2Salting(double m) {
    return std::exp(0.27503999999999995 * m / (1.0 + 0.018 * m));
}

double h2sSalting(double m, double TK) {
    // The expression is ln of the solubility in brine over that in water (negative: salt
    // drives the gas out), so the Henry constant is divided by its exponential.
    return std::exp(-(0.294 * m - 0.000195 * m * TK - 46.81 * m / TK -
                      (0.578 + 0.0018 * TK) * m / (m + 1.0)));
}

bool wilhelm(const char* name, double TK, double& H) {
    for (const WilhelmRow& r : kWilhelm) {
        for (const char* n : r.names) {
            if (n != nullptr && std::strcmp(n, name) == 0) {
                H = 101325.0 * std::exp(-(r.A + r.B / TK + r.C * std::log(TK) + r.D * TK) /
                                        kCalorieGasConstant);
                return true;
            }
        }
    }
    return false;
}

double ch4OverPsat(double TK) {
    const double Tr = TK / 647.03;
    return WaterEOS::saturationPressureWagnerPruss(TK) *
           std::exp(-11.063 / Tr + 5.809 * std::pow(1.0 - Tr, 0.355) / Tr +
                    12.195 * std::exp(1.0 - Tr) / std::pow(Tr, 0.41));
}

double ch4Salting(double m) {
    // A Setschenow coefficient on the salt's mole fraction, 15.6: as 0.156, a hundredth, it
    // salted out 0.3 % at 1 mol/kg, less than the salt's moles add to the molality, so that
    // brine dissolved more methane per kg of water than water.
    return std::exp(15.6 * m / (m + 55.55555555555556));
}

bool isMethane(const char* name) {
    return std::strcmp(name, "CH4") == 0 || std::strcmp(name, "C1") == 0;
}

bool hasCorrelation(const char* name, int set) {
    double H = 0.0;
    switch (set) {
        case 0:
            return std::strcmp(name, "CO2") == 0 || std::strcmp(name, "H2S") == 0;
        case 1:
            return wilhelm(name, 298.15, H);
        case 2:
            return isMethane(name);
        default:
            return false;
    }
}

std::string setsWithCorrelation(const char* name) {
    std::string sets;
    for (int set = 0; set <= 2; ++set) {
        if (!hasCorrelation(name, set)) continue;
        if (!sets.empty()) sets += " and ";
        sets += std::to_string(set);
    }
    return sets;
}

std::string missingCorrelation(const char* what, int set, const char* name) {
    if (hasCorrelation(name, set)) return {};
    // The constant such a set stands in with, 1e25 Pa, would give a solubility some 17
    // orders below the real one: no solubility is made of it.
    const std::string sets = setsWithCorrelation(name);
    std::string others = "no set has one";
    if (!sets.empty()) {
        const std::string kind = std::string(what).substr(std::strncmp(what, "the ", 4) ? 0 : 4);
        others = sets.find(' ') == std::string::npos ? "only " + kind + " " + sets + " has one"
                                                     : kind + "s " + sets + " have one";
    }
    return cformat("%s %d has no Henry-constant correlation for %s (%s)", what, set, name,
                   others.c_str());
}

}  // namespace vornex::henry

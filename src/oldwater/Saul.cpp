#include "oldwater/Saul.h"

#include <cmath>
#include <string>

namespace vornex {

namespace {

constexpr ReducingState kSaulReducing = {647.14, 5.594826086956522e-05, 8.31434};

// Saul and Wagner (1989), the 58-term equation: n delta^d tau^t, then the groups with the
// factors exp(-delta^c); the last group's factor exp(-0.4 delta^6) - exp(-2 delta^6) is
// written as two exponential terms per coefficient.
constexpr PowerTermCoefficients kPower[] = {
    {0.8216377478, 1, 0},      {-0.2543894379, 1, 2},    {-0.08830868648, 2, 0},
    {-8.903097248e-07, 5, 9},  {-1.241333357e-06, 8, 0}, {2.89559028e-09, 11, 0},
    {1.403610309e-11, 11, 12}, {8.183943371e-13, 13, 7}, {-2.397905287e-13, 13, 13},
};
constexpr ExponentialTermCoefficients kExponential[] = {
    // exp(-delta)
    {-0.7519743341, 1, 1, 0},
    {-0.4151278588, 1, 1, 1},
    {-1.03051374, 1, 1, 3},
    {-1.648036888, 1, 2, 1},
    {-0.4686350251, 1, 2, 5},
    {0.3560258142, 1, 3, 5},
    {-0.6364658294, 1, 4, 2},
    {0.2227482363, 1, 4, 3},
    {-0.08954849939, 1, 4, 5},
    {0.001557686788, 1, 5, 6},
    {0.001347719088, 1, 6, 4},
    {-0.001301353385, 1, 7, 1},
    {9.987368673e-07, 1, 8, 8},
    {0.0002263629476, 1, 9, 0},
    {2.89330495e-06, 1, 11, 1},
    // exp(-delta^2)
    {0.1995437169, 2, 1, 0},
    {-0.02707767662, 2, 1, 9},
    {0.01849068216, 2, 1, 10},
    {-0.004402394357, 2, 1, 11},
    {-0.08546876737, 2, 2, 0},
    {0.1220538576, 2, 2, 8},
    {-0.2562237041, 2, 4, 5},
    {0.2555034636, 2, 5, 4},
    {-0.06323203907, 2, 6, 2},
    {3.351397575e-05, 2, 6, 12},
    {-0.06152834985, 2, 7, 3},
    {-0.0003533048208, 2, 7, 10},
    {0.03146309259, 2, 8, 3},
    {-0.002261795983, 2, 10, 2},
    {0.00018689702, 2, 10, 8},
    {-0.001384614556, 2, 11, 0},
    {0.002713160073, 2, 11, 1},
    {-0.004866118539, 2, 11, 3},
    {0.003751789129, 2, 11, 4},
    {-0.0005692669373, 2, 11, 6},
    // exp(-delta^3)
    {-0.5876414555, 3, 2, 13},
    {0.5687838346, 3, 2, 14},
    {-0.1642158198, 3, 2, 15},
    {0.5878635885, 3, 3, 14},
    {-0.2844301931, 3, 3, 16},
    {-0.2049198337, 3, 4, 13},
    {-0.00403923371, 3, 4, 26},
    {0.05459049594, 3, 5, 15},
    {-0.008914260146, 3, 5, 23},
    {0.004974411254, 3, 5, 25},
    // exp(-0.4 delta^6) - exp(-2 delta^6)
    {-0.00709318338, 6, 1, 26, 0.4},
    {0.00709318338, 6, 1, 26, 2.0},
    {0.01718796342, 6, 2, 26, 0.4},
    {-0.01718796342, 6, 2, 26, 2.0},
    {-0.01482653038, 6, 3, 26, 0.4},
    {0.01482653038, 6, 3, 26, 2.0},
    {0.004517292884, 6, 4, 26, 0.4},
    {-0.004517292884, 6, 4, 26, 2.0},
};
// Terms numbered 1-58 in the order of the table; each of the last group's two entries
// belongs to one term.
std::string saulTermName(int k) {
    constexpr int kSplit = 54;  // entries before the last group
    return "a" + std::to_string(k < kSplit ? k + 1 : kSplit + 1 + (k - kSplit) / 2);
}
constexpr MultiParTable kSaulTable = {kPower, kExponential, {}, {}, {}, {}, saulTermName};

// Ideal-gas part of the equation; gamma_k = theta_k/Tc.
constexpr PlanckEinsteinCoefficient kPlanckEinstein[] = {
    {0.012436, 1.287202151}, {0.97315, 3.537101709}, {1.2795, 7.740210774},
    {0.96956, 9.243749421},  {0.24873, 27.5056402},
};

IdealGasTable saulIdealTable() {
    return {
        false, std::log(kSaulReducing.Vc) - 8.318441, 6.681816, 3.00632, 0.0, {}, kPlanckEinstein,
        0.0};
}

}  // namespace

Saul58::Saul58() : MultiParResidual(kSaulReducing, kSaulTable, true) {
    setModelName("Saul58");
}

Saulid::Saulid() : ReducedIdeal(kSaulReducing, saulIdealTable()) {
    setModelName("Saul ideal");
}

Saul::Saul(int phase) : WaterEOS(1, phase, 0) {
    addStabilityProbe(new Saul58);
    spinodalCeiling = kSaulReducing.Tc;
    setInteraction(0, new Saul58);
    setIdealTerm(new Saulid);
    setUpPureWater("Saul & Wagner", 1.8e-5, 2e-4);
}

Saul::~Saul() = default;

}  // namespace vornex

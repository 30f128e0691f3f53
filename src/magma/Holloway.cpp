#include "magma/Holloway.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "puregas/Sterner.h"

namespace vornex {

namespace {

// Attractions of Flowers (1979), polynomials in t = T - 273.15 (degC), published in
// bar cm6 K^0.5 mol^-2 x 1e6 (H2O below 600 degC: 4.221e9 - 3.1227e7 t + 8.7485e4 t^2
// - 107.295 t^3 + 0.0486111 t^4) and converted here to Pa m6 K^0.5 mol^-2 (x 1.01325e-7).
constexpr double kA1Low[5] = {427.692825, -3.164075775, 0.008864417625, -1.0871665875e-05,
                              4.9255197075e-09};
constexpr double kA1High[4] = {16.90101, -0.019563831, 1.888698e-05, -7.2232566e-09};
constexpr double kA2[3] = {7.39976475, -0.007234605, 2.18558025e-06};
// ln K of the H2O-CO2 association: -11.071 + 5953/T - 2746000/T^2 + 464600000/T^3.
constexpr double kLnK[4] = {5953.0, -2746000.0, 464600000.0, -11.071};
// Cross attraction a12 = a12_0 + (R^2/2) K T^2.5: R^2/2 in atm2 cm6 x 1e-6 is
// 3.3665918122297107e-4; the factor 1.01325 of the a12 node finishes the unit change.
constexpr double kHalfR2 = 3.3665918122297107e-04;
constexpr double kA12Zero = 4.065544035;

}  // namespace

Holloway::Holloway() {
    setModelName("Holloway");
    auto& T = nodes_.make<FVar>("_T");
    T.variableIndex = 0;
    auto& V = nodes_.make<FVar>("_V");
    V.variableIndex = 1;
    auto& x1 = nodes_.make<FVar>("_x1");
    x1.variableIndex = 2;
    auto& x2 = nodes_.make<FVar>("_x2");
    x2.variableIndex = 3;

    // Temperature functions.
    auto& Tc1 = tied<Sum1>(nodes_, "Tc1", T);
    Tc1.set_scalars2(1.0, -273.15);
    auto& Tc2 = tied<Square>(nodes_, "Tc2", Tc1);
    auto& Tc3 = tied<Cube>(nodes_, "Tc3", Tc1);
    auto& Tc4 = tied<Square>(nodes_, "Tc4", Tc2);
    auto& T600 = tied<Sum1>(nodes_, "T600", T);
    T600.set_scalars2(1.0, -kSwitchTemperature);
    auto& a1Low = weightedSum(nodes_, "a1_600", {&Tc1, &Tc2, &Tc3, &Tc4},
                              {kA1Low[1], kA1Low[2], kA1Low[3], kA1Low[4]}, kA1Low[0]);
    auto& a1High = weightedSum(nodes_, "a1_600_1200", {&Tc1, &Tc2, &Tc3},
                               {kA1High[1], kA1High[2], kA1High[3]}, kA1High[0]);
    auto& a1 = nodes_.make<Selector>("a1");
    a1.tie3(T600, a1Low, a1High);
    auto& a2 = weightedSum(nodes_, "a2", {&Tc1, &Tc2}, {kA2[1], kA2[2]}, kA2[0]);
    auto& inT = tied<Inverse>(nodes_, "inT", T);
    auto& inT2 = tied<Square>(nodes_, "inT2", inT);
    auto& inT3 = tied<Cube>(nodes_, "inT3", inT);
    auto& sa12 =
        weightedSum(nodes_, "sa12", {&inT, &inT2, &inT3}, {kLnK[0], kLnK[1], kLnK[2]}, kLnK[3]);
    auto& ea12 = tied<Exponential>(nodes_, "ea12", sa12);
    ea12.set_scalars3(0.0, kHalfR2, 1.0);
    auto& T25 = tied<Powo>(nodes_, "T25", T);
    T25.set_scalars3(1.0, 2.5, 0.0);
    auto& ad12 = tied<Product>(nodes_, "ad12", ea12, T25);
    auto& a12 = tied<Sum1>(nodes_, "a12", ad12);
    a12.set_scalars2(1.01325, kA12Zero);

    // Mixing rules.
    auto& x1sq = tied<Square>(nodes_, "x1sq", x1);
    auto& x2sq = tied<Square>(nodes_, "x2sq", x2);
    auto& x1x2 = tied<Product>(nodes_, "x1x2", x1, x2);
    auto& a1x1sq = tied<Product>(nodes_, "a1x1sq", x1sq, a1);
    auto& a2x2sq = tied<Product>(nodes_, "a2x2sq", x2sq, a2);
    auto& a12x1x2 = tied<Product>(nodes_, "a12x1x2", x1x2, a12);
    auto& a = weightedSum(nodes_, "a", {&a1x1sq, &a12x1x2, &a2x2sq}, {1.0, 2.0, 1.0}, 0.0);
    auto& b = tied<Sum2>(nodes_, "b", x1, x2);
    b.set_scalars3(b1, b2, 0.0);

    // Repulsion and attraction.
    auto& A1 = tied<Sum2>(nodes_, "A1", V, b);
    A1.set_scalars3(1.0, -1.0, 0.0);
    auto& lA1 = tied<Logarithm>(nodes_, "lA1", A1);
    lA1.set_scalars3(-1.0, 0.0, 0.0);
    auto& vb = tied<Sum2>(nodes_, "vb", V, b);
    auto& vvb = tied<Division>(nodes_, "vvb", V, vb);
    auto& lvvb = tied<Logarithm>(nodes_, "lvvb", vvb);
    auto& Ts = tied<Powo>(nodes_, "Ts", T);
    Ts.set_scalars3(kGasConstant, 1.5, 0.0);
    auto& ab = tied<Division>(nodes_, "ab", a, b);
    auto& abTs = tied<Division>(nodes_, "abTs", ab, Ts);
    auto& A2 = tied<Product>(nodes_, "A2", abTs, lvvb);
    makeRoot({&lA1, &A2});
}

Holloway::~Holloway() = default;

void Holloway::number_of_components(int count) {
    if (count != 2) {
        vornex::cfprintf(stderr, "Holloway: can handle only two-component systems (H2O, CO2), not %d\n",
                     count);
        return;
    }
    sizeGraph(count);
    analyzeGraph();
}

double Holloway::getVolumeMinimum() {
    return x.size() == 2 ? b1 * x[0] + b2 * x[1] : 0.0;
}

void Holloway::test(int k) {
    number_of_components(2);
    if (k != 1) return;
    T = 1073.0;
    V = 0.000123;
    error = 0;
    composition(1.0, 0.0);
    checkInteraction();
}

HollowayEOS::HollowayEOS(int phase) : FluidPhase(1, phase, 0) {
    setInteraction(0, new Holloway);
    setModelName("Holloway EOS");
    number_of_components(2);
    add_component("H2O");
    add_component("CO2");
    molarMass[0] = 0.018;
    molarMass[1] = 0.044;
    Vl0 = 4e-05;
    Vv0 = 0.04;
}

HollowayEOS::~HollowayEOS() = default;

int HollowayEOS::test(std::FILE* out) {
    constexpr double kT = 1073.15;
    Sterner reference(2);
    temperature(kT);
    composition(0.0, 1.0);
    reference.temperature(kT);
    Vl0 = 3.4e-05;
    vornex::cfprintf(out, "Isotherm %f K\n\n", kT);
    int failed = 0;
    for (int k = 1; k <= 49; ++k) {
        const double Pbar = 100.0 * k;
        pressure(Pbar);
        reference.P = 1e5 * Pbar;
        calculate_molar_volume();
        if (error == 0) calculate_fugacities();
        reference.calculate_molar_volume();
        if (reference.error == 0) reference.calculate_fugacities();
        const bool solved = error == 0 && reference.error == 0;
        const double nan = std::nan("");
        if (!solved) ++failed;
        vornex::cfprintf(out, "P %12f \t V %12f \t Vref %12f \t f(CO2) %12f \t fref(CO2) %12f \n",
                     P * 1e-5, solved ? V * 1e6 : nan, solved ? reference.V * 1e6 : nan,
                     solved ? fugacity[1] * 1e-5 : nan, solved ? reference.fugacity[0] * 1e-5 : nan);
    }
    return failed;
}

}  // namespace vornex

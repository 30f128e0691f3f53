// Duan-Moller-Weare mixtures in either component order, the species their pair parameters
// belong to, and the ideal gas of DMWEOS (ln phi at vanishing pressure, the ideal part of
// Cv and Cp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "dkl/DuanModels.h"
#include "fluid/BinaryGibbsHull.h"
#include "fluid/Metastability.h"
#include "water/HGKid.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr double kR = 8.31434;

template <class Fluid>
std::unique_ptr<Fluid> pairOf(const char* first, const char* second, double xFirst) {
    auto fluid = std::make_unique<Fluid>(1);
    fluid->number_of_components(2);
    fluid->add_components(first, second);
    fluid->composition(xFirst, 1.0 - xFirst);
    return fluid;
}

// ------------------------------------------------------------- component order

struct PairState {
    const char *first, *second;
    double xFirst, TK, Vm3;
};

// Every temperature range of every pair's parameters (CH4-CO2 also outside its fit).
constexpr PairState kPairStates[] = {
    {"CO2", "H2O", 0.9, 350.0, 1.2e-4},  {"CO2", "H2O", 0.7, 450.0, 2.0e-4},
    {"CO2", "H2O", 0.7, 550.0, 2.0e-4},  {"CO2", "H2O", 0.4, 673.15, 6.0e-5},
    {"CO2", "H2O", 0.4, 1100.0, 8.0e-5}, {"CH4", "H2O", 0.9, 330.0, 2.0e-4},
    {"CH4", "H2O", 0.2, 400.0, 3.0e-5},  {"CH4", "H2O", 0.5, 700.0, 9.0e-5},
    {"CO2", "CH4", 0.5, 300.0, 2.0e-4},  {"CO2", "CH4", 0.8, 280.0, 1.5e-4},
    {"CO2", "CH4", 0.3, 600.0, 1.0e-4},
};

// Equal, or both not given (DMW2 has no ideal gas and gives no heat capacity).
void expectSame(double swapped, double given, double tolerance) {
    if (std::isnan(given)) {
        EXPECT_TRUE(std::isnan(swapped));
        return;
    }
    EXPECT_NEAR(swapped, given, tolerance);
}

template <class Fluid>
void expectSameFluidInEitherOrder() {
    for (const PairState& s : kPairStates) {
        SCOPED_TRACE(std::string(s.first) + "-" + s.second + " " + std::to_string(s.TK));
        auto given = pairOf<Fluid>(s.first, s.second, s.xFirst);
        auto swapped = pairOf<Fluid>(s.second, s.first, 1.0 - s.xFirst);
        for (Fluid* f : {given.get(), swapped.get()}) {
            f->temperature(s.TK);
            f->volume(s.Vm3);
            f->calculate_fugacities();
            ASSERT_EQ(f->error, 0);
            ASSERT_GT(f->P, 0.0);
        }
        EXPECT_NEAR(swapped->P, given->P, 1e-10 * std::fabs(given->P));
        EXPECT_NEAR(swapped->lnPhi[1], given->lnPhi[0], 1e-10);
        EXPECT_NEAR(swapped->lnPhi[0], given->lnPhi[1], 1e-10);
        EXPECT_NEAR(swapped->dPdV, given->dPdV, 1e-9 * std::fabs(given->dPdV));
        for (Fluid* f : {given.get(), swapped.get()}) f->calculate_state_functions();
        for (auto q : {&FluidPhase::A, &FluidPhase::S, &FluidPhase::U, &FluidPhase::Cv})
            expectSame((*swapped).*q, (*given).*q, 1e-9 * (std::fabs((*given).*q) + kR));
    }
}

// Every mixed coefficient of the term (B, C, D, E, F, beta, gamma), with its temperature and
// composition derivatives, is that of the same mixture given the other way round.
TEST(DuanPairOrder, EveryMixedCoefficientIsTheSameInEitherOrder) {
    auto termOf = [](const char* first, const char* second, double xFirst, double TK) {
        auto term = std::make_unique<Duan2>();
        term->number_of_components(2);
        const DuanGas* a = findDuanGas(first, false);
        const DuanGas* b = findDuanGas(second, false);
        term->set_parameters(0, a->Tc, a->Pc, a->constants);
        term->set_parameters(1, b->Tc, b->Pc, b->constants);
        term->selector = static_cast<int16_t>(duanPairOf(first, second));
        term->pairReversed = duanPairReversed(first, second);
        term->T = TK;
        term->V = 1e-4;
        term->x = {xFirst, 1.0 - xFirst};
        term->calculate();
        return term;
    };
    for (const PairState& s : kPairStates) {
        SCOPED_TRACE(std::string(s.first) + "-" + s.second + " " + std::to_string(s.TK));
        auto given = termOf(s.first, s.second, s.xFirst, s.TK);
        auto swapped = termOf(s.second, s.first, 1.0 - s.xFirst, s.TK);
        ASSERT_EQ(given->error, 0);
        ASSERT_EQ(swapped->error, 0);
        const struct {
            Expression* Duan::*node;
            const char* name;
        } coefficients[] = {{&Duan::Bd, "B"},    {&Duan::Cd, "C"},        {&Duan::Dd, "D"},
                            {&Duan::Ed, "E"},    {&Duan::Fd, "F"},        {&Duan::beta1, "beta"},
                            {&Duan::gama, "gamma"}};
        for (const auto& [c, name] : coefficients) {
            SCOPED_TRACE(name);
            const Expression& g = *((*given).*c);
            const Expression& w = *((*swapped).*c);
            const double scale = std::fabs(g.value()) + 1e-30;
            EXPECT_NEAR(w.value(), g.value(), 1e-12 * scale);
            EXPECT_NEAR(w.d1(2), g.d1(3), 1e-10 * scale);
            EXPECT_NEAR(w.d1(3), g.d1(2), 1e-10 * scale);
            if (c != &Duan::beta1 && c != &Duan::gama) {
                EXPECT_NEAR(w.d1(0), g.d1(0), 1e-10 * std::fabs(g.d1(0)));
            }
        }
    }
}

// Regression: k2 and k3 were placed by component position; (H2O, CH4) at 400 K and
// 1000 bar gave 23.714 cm3/mol where (CH4, H2O) gave 25.475.
TEST(DuanPairOrder, DMW2IsTheSameFluidInEitherComponentOrder) {
    expectSameFluidInEitherOrder<DMW2>();
}

TEST(DuanPairOrder, TwoComponentDMWEOSIsTheSameFluidInEitherComponentOrder) {
    expectSameFluidInEitherOrder<DMWEOS>();
}

// The order the parameters were fitted in, gas first (CO2 before CH4): its states stay
// what they were, and both orders give them.
TEST(DuanPairOrder, StatesSolvedFromPressureAreThoseOfTheFittedOrder) {
    const struct {
        const char *first, *second;
        double xFirst, TK, Pbar, Vcm3;
    } cases[] = {{"CH4", "H2O", 0.2, 400.0, 1000.0, 25.4748},
                 {"CO2", "H2O", 0.4, 673.15, 1000.0, 51.9502},
                 {"CO2", "CH4", 0.5, 300.0, 100.0, 193.928}};
    for (const auto& c : cases) {
        for (bool swap : {false, true}) {
            SCOPED_TRACE(std::string(c.first) + "-" + c.second + (swap ? " swapped" : ""));
            auto f = swap ? pairOf<DMW2>(c.second, c.first, 1.0 - c.xFirst)
                          : pairOf<DMW2>(c.first, c.second, c.xFirst);
            f->calculateFromTP(c.TK, c.Pbar, 0);
            ASSERT_EQ(f->error, 0);
            EXPECT_NEAR(f->V * 1e6, c.Vcm3, 1e-5 * c.Vcm3);
        }
    }
}

// At either end a pair is the pure gas of the published equation, whose densities follow
// the reference equations of methane (Setzmann and Wagner 1991) and carbon dioxide (Span
// and Wagner 1996) to 2 % (molar densities, mol/m3), whichever the pair's order.
TEST(DuanPairOrder, APairAtEitherEndIsThePureGasOfTheReferenceEquations) {
    const struct {
        const char *gas, *other;
        double TK, Pbar, density;
    } ends[] = {{"CH4", "CO2", 300.0, 100.0, 4685.9},
                {"CO2", "H2O", 673.15, 1000.0, 13227.9},
                {"CO2", "CH4", 673.15, 1000.0, 13227.9},
                {"CO2", "H2O", 350.0, 100.0, 5198.9}};
    for (const auto& e : ends) {
        for (bool gasFirst : {true, false}) {
            SCOPED_TRACE(std::string(e.gas) + " beside " + e.other + (gasFirst ? "" : " swapped"));
            auto f = gasFirst ? pairOf<DMW2>(e.gas, e.other, 1.0 - 1e-9)
                              : pairOf<DMW2>(e.other, e.gas, 1e-9);
            f->calculateFromTP(e.TK, e.Pbar, 0);
            ASSERT_EQ(f->error, 0);
            EXPECT_NEAR(1.0 / f->V / e.density, 1.0, 0.02);
        }
    }
}

// Regression: from 305.15 to 498.15 K the CH4-CO2 pair collapsed onto volumes below solid
// CO2's (x(CO2) 0.5 at 400 K and 1000 bar: 18.7 cm3/mol, the gases alone 47.2 and 55.5; at 320
// K and 100 bar 27.7), and stepped to 59.9 across 498.15 K. A mixture of the two
// supercritical gases lies within a fifth of its gases' volumes, in either order of
// components, and runs on without a step where the fitted ranges end.
TEST(DuanPairOrder, MethaneCarbonDioxideLiesBetweenItsGasesAcrossTheFittedRanges) {
    auto pure = [](const char* gas, double TK, double Pbar) {
        DMW1 f(1);
        f.number_of_components(1);
        f.add_component(gas);
        f.calculateFromTP(TK, Pbar, 0);
        EXPECT_EQ(f.error, 0);
        return f.V;
    };
    for (double TK : {320.0, 400.0, 470.0})
        for (double Pbar : {100.0, 1000.0, 3000.0}) {
            const double Vco2 = pure("CO2", TK, Pbar), Vch4 = pure("CH4", TK, Pbar);
            for (double x : {0.2, 0.5, 0.8})
                for (bool co2First : {true, false}) {
                    SCOPED_TRACE(std::to_string(TK) + " K, " + std::to_string(Pbar) +
                                 " bar, x(CO2) " + std::to_string(x));
                    std::unique_ptr<FluidPhase> f;
                    if (co2First)
                        f = pairOf<DMWEOS>("CO2", "CH4", x);
                    else
                        f = pairOf<DMW2>("CH4", "CO2", 1.0 - x);
                    f->calculateFromTP(TK, Pbar, 0);
                    ASSERT_EQ(f->error, 0);
                    EXPECT_GT(f->V, 0.8 * std::min(Vco2, Vch4));
                    EXPECT_LT(f->V, 1.2 * std::max(Vco2, Vch4));
                }
        }
    for (double Pbar : {100.0, 1000.0}) {
        auto f = pairOf<DMW2>("CO2", "CH4", 0.5);
        f->calculateFromTP(498.14, Pbar, 0);
        const double below = f->V;
        f->calculateFromTP(498.16, Pbar, 0);
        EXPECT_NEAR(f->V / below, 1.0, 1e-4) << Pbar << " bar";
    }
}

// Water dissolved in compressed CO2 beside liquid water: its measured mole fraction rises
// with pressure once the CO2 is dense (Takenouchi and Kennedy 1964 and later measurements
// at 100 degC). The fit governs it through the C constant of two CO2 molecules and one
// water molecule: 0.0160 at 200 bar, 0.0183 at 500 bar; with the parameters placed the
// other way it fell (0.0142, 0.0129).
#ifdef VORNEX_SANITIZED_BUILD
// The substitution has settled to 1e-11 of y after a dozen rounds.
constexpr int kWaterContentIterations = 12;
#else
constexpr int kWaterContentIterations = 40;
#endif

TEST(DuanPairOrder, WaterContentOfCompressedCO2RisesWithPressure) {
    const double T = 373.15;
    double previous = 0.0;
    for (double P : {200.0, 500.0}) {
        WagnerPruss water(2);
        water.calculateFromTP(T, P, 0);
        ASSERT_EQ(water.error, 0);
        const double fLiquid = water.fugacity[0] / 1e5;  // bar
        for (bool waterFirst : {false, true}) {
            double y = 0.01;
            for (int it = 0; it < kWaterContentIterations; ++it) {
                auto f = waterFirst ? pairOf<DMW2>("H2O", "CO2", y) : pairOf<DMW2>("CO2", "H2O", 1 - y);
                f->calculateFromTP(T, P, 0);
                ASSERT_EQ(f->error, 0);
                y = fLiquid / (f->fugacityCoefficient[waterFirst ? 0 : 1] * P);
            }
            EXPECT_GT(y, 1.1 * previous) << P << " bar";
            if (waterFirst) previous = y;
        }
    }
}

// ---------------------------------------------------------------------- ideal gas

std::unique_ptr<DMWEOS> gasOf(const char* name) {
    auto fluid = std::make_unique<DMWEOS>(1);
    fluid->number_of_components(1);
    fluid->add_component(name);
    return fluid;
}

// Regression: the ideal term lacked the temperature part of ln(rho R T/p0); ln phi at
// vanishing pressure was -ln(R T/p0), phi = 40.6 at 300 K and 20.3 at 600 K.
TEST(DuanIdealGas, LnPhiVanishesWithPressure) {
    for (double T : {300.0, 600.0, 1000.0}) {
        for (const char* gas : {"CO2", "CH4", "H2O"}) {
            auto f = gasOf(gas);
            f->calculateFromTP(T, 1e-4, 0);
            ASSERT_EQ(f->error, 0) << gas;
            EXPECT_NEAR(f->lnPhi[0], 0.0, 1e-5) << gas << " " << T;
        }
        auto mix = pairOf<DMWEOS>("CO2", "H2O", 0.4);
        mix->calculateFromTP(T < 400.0 ? 400.0 : T, 1e-4, 0);
        ASSERT_EQ(mix->error, 0);
        EXPECT_NEAR(mix->lnPhi[0], 0.0, 1e-5);
        EXPECT_NEAR(mix->lnPhi[1], 0.0, 1e-5);
    }
}

// Regression: Cv of the dilute gas was the ideal Cp (CO2 at 500 K: 35.23 J/(mol K), the
// water's Cp0 of the formulation's ideal gas, which every component takes).
TEST(DuanIdealGas, DiluteGasHasTheHeatCapacitiesOfAnIdealGas) {
    auto f = gasOf("CO2");
    f->calculateFromTP(500.0, 1e-3, 0);
    f->calculate_state_functions();
    ASSERT_EQ(f->error, 0);
    double a[5];
    HGKid::normalForm(500.0, a);
    const double cp0 = -kR * (2.0 * 500.0 * a[1] + 500.0 * 500.0 * a[2]);
    EXPECT_NEAR(cp0, 35.228, 0.01);
    EXPECT_NEAR(f->Cv, cp0 - kR, 1e-4);
    EXPECT_NEAR(f->Cp, cp0, 1e-4);
}

// The absolute entropy and Gibbs energy of the dilute gas are those of the formulation's
// ideal gas at its standard pressure of one atmosphere, whose zero of entropy and energy is
// the liquid at the triple point as in the reference equation of water: DMWEOS's dilute
// water agrees with that of the reference equation (a standard pressure of 1 bar would put
// S off by R ln(1.01325) = 0.109 J/(mol K)).
TEST(DuanIdealGas, DiluteWaterHasTheAbsoluteEntropyAndGibbsEnergyOfTheReferenceEquation) {
    for (double T : {400.0, 600.0, 1000.0}) {
        auto f = gasOf("H2O");
        WagnerPruss reference(1);
        for (FluidPhase* phase : {static_cast<FluidPhase*>(f.get()),
                                  static_cast<FluidPhase*>(&reference)}) {
            phase->calculateFromTP(T, 1e-3, 0);
            phase->calculate_state_functions();
            ASSERT_EQ(phase->error, 0) << T;
        }
        // The two formulations' triple-point liquids differ by 0.03 J/(mol K) in entropy.
        EXPECT_NEAR(f->S, reference.S, 0.05) << T;
        EXPECT_NEAR(f->G, reference.G, 0.05 * T) << T;
    }
}

// Dense states: DMWEOS is DMW1's residual fluid plus the ideal gas's Cv0 = Cp0 - R.
TEST(DuanIdealGas, HeatCapacityIsTheIdealGassPlusTheResidual) {
    for (const char* gas : {"CO2", "CH4"}) {
        for (double T : {400.0, 800.0}) {
            auto whole = gasOf(gas);
            DMW1 residual(1);
            residual.number_of_components(1);
            residual.add_component(gas);
            for (FluidPhase* f : {static_cast<FluidPhase*>(whole.get()),
                                  static_cast<FluidPhase*>(&residual)}) {
                f->temperature(T);
                f->volume(8e-5);
                f->calculate_state_functions();
                ASSERT_EQ(f->error, 0);
            }
            double a[5];
            HGKid::normalForm(T, a);
            const double cv0 = -kR * (2.0 * T * a[1] + T * T * a[2]) - kR;
            EXPECT_NEAR(whole->Cv - residual.CvResidual, cv0, 1e-6 * cv0) << gas << " " << T;
            EXPECT_NEAR(whole->P, residual.P, 1e-10 * residual.P);
        }
    }
}

// ------------------------------------------------------------- stable states

// Water with carbon dioxide at 400 K and 100 bar is a water-rich liquid beside a CO2-rich
// vapour. The stable-state call gave the uniform mixture of half CO2 (42.58 cm3/mol) and of
// 0.9 CO2 (262.4 cm3/mol) as the stable "fluid" with the error clear, though a trial phase
// lies 0.65 and 0.74 RT below their tangent planes. The split is said, with the trial phase,
// and no state is given; water with 0.1 % CO2 is the one stable liquid still.
TEST(DuanPairStableState, FeedThatSplitsHasNoStableOnePhaseState) {
    struct Feed {
        double xCO2, trialAbove, trialBelow;
    };
    for (const Feed& feed : {Feed{0.5, 0.9, 1.0}, Feed{0.9, 0.0, 0.2}}) {
        SCOPED_TRACE(feed.xCO2);
        auto f = pairOf<DMW2>("H2O", "CO2", 1.0 - feed.xCO2);
        ::testing::internal::CaptureStderr();
        const FluidPhase::StablePhase phase = f->calculateStableStateFromTP(400.0, 100.0);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(phase, FluidPhase::StablePhase::None);
        EXPECT_EQ(f->error, 1);
        EXPECT_TRUE(f->feedSplit.splits);
        EXPECT_LT(f->feedSplit.distance, -0.5);
        EXPECT_GT(f->feedSplit.trialX1, feed.trialAbove);
        EXPECT_LT(f->feedSplit.trialX1, feed.trialBelow);
        EXPECT_NE(said.find("splits into two phases"), std::string::npos) << said;
        EXPECT_NE(said.find("x(CO2) = " + std::to_string(feed.xCO2).substr(0, 3)),
                  std::string::npos)
            << said;
    }
    auto water = pairOf<DMW2>("H2O", "CO2", 0.999);
    EXPECT_NE(water->calculateStableStateFromTP(400.0, 100.0), FluidPhase::StablePhase::None);
    EXPECT_EQ(water->error, 0);
    EXPECT_TRUE(water->feedSplit.tested);
    EXPECT_NEAR(water->V * 1e6, 19.13, 0.01);
}

// Regression: the two phases of H2O-CO2 at 400 K and 200 bar are the ends of the gap in the
// lower convex hull of its Gibbs energy (a liquid of 12.65 mol % CO2), whichever component
// comes first. The substitution refining them had stopped at 6.2 % with H2O first and 17.9 %
// with CO2 first, and the isotherm from that pressure failed in the first order.
TEST(DuanPairSplit, StartIsTheGibbsEnergyHullInEitherOrder) {
    double liquidCO2[2] = {0.0, 0.0};
    for (int order = 0; order < 2; ++order) {
        SCOPED_TRACE(order);
        auto fluid = order == 0 ? pairOf<DMW2>("H2O", "CO2", 0.5) : pairOf<DMW2>("CO2", "H2O", 0.5);
        const test::HullGap hull = test::binaryHullGap(*fluid, 400.0, 200.0);
        ASSERT_TRUE(hull.found);
        fluid->composition(0.5, 0.5);
        BinarySplit split;
        ASSERT_TRUE(binarySplitStart(*fluid, 400.0, 200.0, split));
        EXPECT_GT(split.Vvapour, 1.5 * split.Vliquid);
        // The liquid is the water-rich end.
        const double liquid = order == 0 ? hull.left : hull.right;
        const double vapour = order == 0 ? hull.right : hull.left;
        EXPECT_NEAR(split.xLiquid1, liquid, 2.0 * hull.spacing);
        EXPECT_NEAR(split.yVapour1, vapour, 2.0 * hull.spacing);
        liquidCO2[order] = order == 0 ? split.xLiquid1 : 1.0 - split.xLiquid1;
    }
    EXPECT_NEAR(liquidCO2[0], liquidCO2[1], 1e-6);
}

}  // namespace
}  // namespace vornex

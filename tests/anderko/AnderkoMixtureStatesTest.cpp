// The salt-water mixture's states at (T, V) as the console prints them: a volume between the
// spinodals of its composition is no state, however the equation's loops slope there, and
// the spinodals named are where its pressure stops falling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidCommand.h"
#include "fluid/FluidPhase.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

struct Printed {
    bool succeeded = false;
    std::string out;
};

// The printout of "x x1 TV T V"; of "TV T V" alone with x1 below zero (a pure fluid).
Printed stateAtTV(FluidPhase& fluid, double x1, double TK, double Vcm3) {
    char T[32], V[32], x[32];
    std::snprintf(T, sizeof T, "%.10g", TK);
    std::snprintf(V, sizeof V, "%.10g", Vcm3);
    std::snprintf(x, sizeof x, "%.10g", x1);
    std::vector<std::string> words = {"x", x, "TV", T, V};
    if (x1 < 0.0) words.erase(words.begin(), words.begin() + 2);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    std::istringstream console;
    Printed p;
    test::stderrOf([&] {
        p.out = test::stdoutOf([&] {
            p.succeeded =
                FluidCommandInterpreter(fluid, console).run(int(argv.size()), argv.data());
        });
    });
    return p;
}

// (dP/dV)_T,x by central differences of the pressure, Pa per m3/mol.
double slopeOf(FluidPhase& fluid, double TK, double Vm3) {
    constexpr double h = 1e-6;
    fluid.calculateFromTV(TK, Vm3 * (1.0 + h), 0);
    const double above = fluid.P;
    fluid.calculateFromTV(TK, Vm3 * (1.0 - h), 0);
    return (above - fluid.P) / (2.0 * h * Vm3);
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Regression: "hn x 0.1 TV 650 60" printed a state at -126.5 bar, on a stretch of falling
// pressure inside the loop between the spinodals at 28.62 and 374.08 cm3/mol. Each
// composition and temperature: every volume whose pressure rises is refused, the printed
// spinodals are where the differenced slope changes sign, and volumes just outside them
// are states.
#ifdef VORNEX_SANITIZED_BUILD
// Fewer volumes between the spinodals in the sanitizers' build, every composition and
// temperature kept.
constexpr double kVolumeFactor = 1.3;
#else
constexpr double kVolumeFactor = 1.1;
#endif

TEST(AnderkoMixtureStates, AVolumeBetweenTheSpinodalsOfItsCompositionIsNoState) {
    registerAnderkoModels();
    std::unique_ptr<FluidPhase> fluid(FluidPhase::getEOS("hn"));
    ASSERT_TRUE(fluid);
    const Printed regression = stateAtTV(*fluid, 0.1, 650.0, 60.0);
    EXPECT_TRUE(regression.succeeded);
    EXPECT_TRUE(has(regression.out,
                    "Mechanically unstable state (between the spinodals at 28.6188 and 374.0809"))
        << regression.out;
    EXPECT_FALSE(has(regression.out, "** P")) << regression.out;
    for (double x1 : {0.01, 0.1, 0.3}) {
        for (double TK : {650.0, 800.0}) {
            const std::string at = "x1 " + std::to_string(x1) + ", T " + std::to_string(TK);
            fluid->composition_of_component(1, x1);
            fluid->composition_of_component(0, 1.0 - x1);
            double rising = 0.0;  // cm3/mol, the first volume found rising
            for (double Vcm3 = 16.0; Vcm3 < 4000.0; Vcm3 *= kVolumeFactor) {
                if (!(slopeOf(*fluid, TK, Vcm3 * 1e-6) > 0.0)) continue;
                if (rising == 0.0) rising = Vcm3;
                const Printed p = stateAtTV(*fluid, x1, TK, Vcm3);
                EXPECT_TRUE(has(p.out, "Mechanically unstable state (")) << at << ", V " << Vcm3;
                EXPECT_FALSE(has(p.out, "** P")) << at << ", V " << Vcm3 << "\n" << p.out;
            }
            if (rising == 0.0) continue;
            const Printed p = stateAtTV(*fluid, x1, TK, rising);
            double liquid = 0.0, vapour = 0.0;
            const std::size_t where = p.out.find("the spinodals lie at ");
            ASSERT_NE(where, std::string::npos) << at << "\n" << p.out;
            ASSERT_EQ(std::sscanf(p.out.c_str() + where,
                                  "the spinodals lie at %lf cm3/mol (liquid side) and %lf", &liquid,
                                  &vapour),
                      2)
                << p.out;
            for (const auto& [spinodal, inward] :
                 {std::pair{liquid, 1.0}, std::pair{vapour, -1.0}}) {
                const double outside = spinodal * (1.0 - inward * 2e-3);
                const double inside = spinodal * (1.0 + inward * 2e-3);
                EXPECT_LT(slopeOf(*fluid, TK, outside * 1e-6), 0.0) << at << ", V " << outside;
                EXPECT_GT(slopeOf(*fluid, TK, inside * 1e-6), 0.0) << at << ", V " << inside;
                const Printed state = stateAtTV(*fluid, x1, TK, outside);
                EXPECT_TRUE(state.succeeded) << at << ", V " << outside;
                EXPECT_TRUE(has(state.out, "** P")) << at << ", V " << outside << "\n" << state.out;
                EXPECT_FALSE(has(state.out, "nstable state")) << at << ", V " << outside;
            }
        }
    }
}

// The brine without salt is the water of its model: the same spinodals as the water's own
// (found from its saturated phases), and where the water is metastable (its fugacity above
// that of the stable phase at its pressure, a superheated liquid or a supercooled vapour)
// the brine's tangent plane says it splits; on both sides of the two-phase region.
TEST(AnderkoMixtureStates, TheBrineWithoutSaltIsJudgedAsItsWater) {
    registerAnderkoModels();
    std::unique_ptr<FluidPhase> brine(FluidPhase::getEOS("hn"));
    std::unique_ptr<FluidPhase> water(FluidPhase::getEOS("AnderkoH2O"));
    ASSERT_TRUE(brine && water);
    auto spinodalsOf = [](const std::string& out) {
        const std::size_t from = out.find("the spinodals lie at ");
        const std::size_t to = out.find("(vapour side)");
        return from == std::string::npos || to == std::string::npos ? std::string()
                                                                    : out.substr(from, to - from);
    };
    int metastable = 0, unstable = 0;
    for (double TK : {600.0, 630.0}) {
        for (double Vcm3 : {22.0, 25.0, 27.0, 28.0, 30.0, 34.0, 45.0, 60.0, 100.0, 140.0, 200.0,
                            300.0, 500.0, 2000.0}) {
            const Printed salted = stateAtTV(*brine, 0.0, TK, Vcm3);
            const Printed own = stateAtTV(*water, -1.0, TK, Vcm3);
            const std::string at = std::to_string(TK) + " K, " + std::to_string(Vcm3);
            EXPECT_TRUE(salted.succeeded && own.succeeded) << at;
            const bool ownUnstable = has(own.out, "Mechanically unstable state (");
            EXPECT_EQ(has(salted.out, "Mechanically unstable state ("), ownUnstable) << at;
            if (ownUnstable) {
                ++unstable;
                EXPECT_FALSE(spinodalsOf(own.out).empty()) << own.out;
                EXPECT_EQ(spinodalsOf(salted.out), spinodalsOf(own.out)) << at;
                continue;
            }
            const bool ownMetastable = has(own.out, "The state is metastable");
            metastable += ownMetastable;
            EXPECT_EQ(has(salted.out, "The uniform mixture is not stable: it splits"),
                      ownMetastable)
                << at << "\n"
                << salted.out << own.out;
        }
    }
    EXPECT_GE(metastable, 4);
    EXPECT_GE(unstable, 4);
}

// Regression: the isochore of a mixture wrote the equation's loop between the spinodals of
// its composition as rows (hn, x(NaCl) 0.05, 60 cm3/mol: 600 K at -336 bar, rising to 650.7
// K), silently, where "TV" calls those states mechanically unstable. Every row's isotherm
// falls all the way from the dense liquid to it, or from it to the dilute gas; the rows
// left out are said.
TEST(AnderkoMixtureStates, AnIsochoreWritesNoRowBetweenTheSpinodalsOfItsComposition) {
    registerAnderkoModels();
    std::unique_ptr<FluidPhase> fluid(FluidPhase::getEOS("hn"));
    ASSERT_TRUE(fluid);
    fluid->composition(0.95, 0.05);
    const double V = 60e-6;
    CurveArray rows;
    const std::string said = test::stderrOf(
        [&] { fluid->calculate_isochor(nullptr, V, 600.0, 700.0, 60, kCurveArray, &rows); });
    EXPECT_TRUE(has(said, "between the spinodals of the mixture's composition")) << said;
    constexpr std::size_t kWidth = 13;  // T, P, ...
    ASSERT_GT(rows.size() / kWidth, 20u);
    EXPECT_GT(rows[0], 650.0);
    auto fallsFrom = [&](double TK, double from, double to) {
        for (int k = 0; k <= 300; ++k)
            if (!(slopeOf(*fluid, TK, from * std::pow(to / from, k / 300.0)) < 0.0)) return false;
        return true;
    };
    for (std::size_t r = 0; r < rows.size() / kWidth; r += 5) {
        const double TK = rows[kWidth * r];
        EXPECT_GT(rows[kWidth * r + 1], 0.0) << TK;
        EXPECT_TRUE(fallsFrom(TK, 16e-6, V) || fallsFrom(TK, V, 1.0)) << TK;
    }
}

}  // namespace
}  // namespace vornex

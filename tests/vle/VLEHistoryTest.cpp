// The rigorous two-phase solver depends on the problem and the start it is given, never on
// what it solved before: a bubble, dew or flash solve from a given start gives the same state
// fresh and after random earlier solves (failed ones, refused problem types and nonsense
// starts among them). The volumes of the two phases are part of the start, as a caller sets
// them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "fluid/TestFluids.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex::testing {
namespace vle_history {

constexpr double kT = 250.0;  // K, below the critical temperature of component 0

struct Solver {
    std::unique_ptr<FluidPhase> liquid = makeVanDerWaalsMixture(2), vapour = makeVanDerWaalsMixture(1);
    std::unique_ptr<IFP> ifp;
    Solver() {
        ifp = std::make_unique<IFP>(*liquid, *vapour);
        ifp->number_of_components(2);
        ifp->names[0] = "a";
        ifp->names[1] = "b";
    }
    // One problem from a start that fixes everything the caller can set.
    struct Call {
        int type;        // 13 bubble at T, 31 dew at T, 21 flash at T and P
        double T, Pbar;  // the start's pressure (the flash's imposed one)
        double z1, x1, y1, vapour;
    };
    struct Result {
        int status;
        double T, P, x1, y1, nV;
    };
    Result solve(const Call& c) {
        liquid->Vl0 = 7e-5;
        liquid->Vl = 7e-5;
        vapour->Vv0 = 1e-3;
        vapour->Vv = 1e-3;
        ifp->composition(0, 1.0 - c.z1);
        ifp->composition(1, c.z1);
        ifp->temperature(c.T);
        ifp->pressure(c.Pbar);
        ifp->xcomposition(0, 1.0 - c.x1);
        ifp->xcomposition(1, c.x1);
        ifp->ycomposition(0, 1.0 - c.y1);
        ifp->ycomposition(1, c.y1);
        ifp->current.nL = 1.0 - c.vapour;
        ifp->current.nV = c.vapour;
        test::stderrOf([&] {
            test::stdoutOf([&] {
                ifp->set_type_of_problem(static_cast<short>(c.type));
                ifp->set_the_temperature(c.T);
                if (c.type == 21) ifp->set_the_pressure(c.Pbar);
                ifp->set_the_vaporization_ratio(c.vapour);
                ifp->calculateVLE(0);
            });
        });
        return {ifp->status,          ifp->current.T,      ifp->current.P,
                ifp->current.x.at(1), ifp->current.y.at(1), ifp->current.nV};
    }
};

// Starts near the mixture's two-phase region at 250 K (pure component 0 boils near 19 bar
// there; the second component is the lighter one).
// The flash's pressure is set below the bubble pressure of its feed once that is known.
std::vector<Solver::Call> kCompared = {
    {13, kT, 25.0, 0.2, 0.2, 0.4, 0.0},
    {31, kT, 20.0, 0.3, 0.1, 0.3, 1.0},
    {21, kT, 0.0, 0.2, 0.15, 0.3, 0.5},
};

Solver::Call randomCall(std::mt19937& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    static const int types[] = {13, 31, 21, 12, 99, 13, 31};
    Solver::Call c{types[rng() % 7],
                   150.0 + 200.0 * u(rng),
                   1.0 + 80.0 * u(rng),
                   u(rng),
                   u(rng),
                   u(rng),
                   u(rng)};
    if (rng() % 5 == 0) c.Pbar = -c.Pbar;  // nonsense starts among them
    if (rng() % 7 == 0) c.x1 = std::nan("");
    return c;
}

void expectSame(const Solver::Result& a, const Solver::Result& b, const std::string& where) {
    EXPECT_EQ(a.status, b.status) << where;
    if (a.status != 0 || b.status != 0) return;
    for (auto [p, q, name] : {std::tuple{a.T, b.T, "T"}, std::tuple{a.P, b.P, "P"},
                              std::tuple{a.x1, b.x1, "x1"}, std::tuple{a.y1, b.y1, "y1"},
                              std::tuple{a.nV, b.nV, "nV"}})
        EXPECT_NEAR(p, q, 1e-9 * (std::fabs(p) + 1e-12)) << name << " " << where;
}

TEST(VLEHistory, SolvesFromAGivenStartDependOnItOnly) {
    std::vector<Solver::Result> fresh;
    for (auto& c : kCompared) {
        if (c.type == 21) c.Pbar = 0.97e-5 * fresh.front().P;
        Solver s;
        fresh.push_back(s.solve(c));
        ASSERT_EQ(fresh.back().status, 0) << "problem " << c.type << " has no solution to compare";
    }
    std::mt19937 rng(20261207);
    for (int sequence = 0; sequence < 60; ++sequence) {
        Solver s;
        std::string history;
        const int earlier = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < earlier; ++k) {
            const Solver::Call c = randomCall(rng);
            history += " " + std::to_string(c.type) + "@" + std::to_string(c.T);
            s.solve(c);
        }
        const size_t which = rng() % kCompared.size();
        expectSame(s.solve(kCompared[which]), fresh[which],
                   "problem " + std::to_string(kCompared[which].type) + " after" + history);
    }
}

}  // namespace vle_history
}  // namespace vornex::testing

// The equilibrium solvers in the identity suite of a solved two-phase equilibrium: Raoult's
// law on propane and n-butane (IdealMixture), and the rigorous solver on Peng-Robinson
// mixtures (IFP), flashes and saturation points, in both component orders.
#include <memory>
#include <string>
#include <vector>

#include "numerics/TextCapture.h"
#include "support/EquilibriumIdentitySuite.h"
#include "vle/CubicMixtures.h"
#include "vle/IFP.h"
#include "vle/IdealMixture.h"

namespace vornex {
namespace {

using testing_support::EquilibriumCase;
using testing_support::SolvedEquilibrium;

// Problem `type` (12 flash at T and P, 13 bubble and 31 dew at T) of Raoult's law on the
// named components with the feed z.
SolvedEquilibrium raoult(std::vector<std::string> names, std::vector<double> z, int type,
                         double T, double Pbar) {
    auto mixture = std::make_unique<IdealMixture>();
    mixture->number_of_components(static_cast<int>(names.size()));
    for (const std::string& name : names) mixture->add_component(name.c_str());
    mixture->bulk_composition(z[0], z[1]);
    mixture->set_initialization_flag(2);
    mixture->set_type_of_problem(static_cast<short>(type));
    mixture->set_the_temperature(T);
    if (type == 12) mixture->set_the_pressure(Pbar);
    if (type != 12) mixture->set_the_vaporization_ratio(type == 13 ? 0.0 : 1.0);
    test::outputOf([&] { mixture->calculateVLE(); });
    SolvedEquilibrium solved;
    solved.solver = std::move(mixture);
    return solved;
}

// The same on Peng-Robinson liquid and vapour models with the rigorous solver.
SolvedEquilibrium rigorous(std::vector<std::string> names, std::vector<double> z, int type,
                           double T, double Pbar) {
    auto mix = std::make_unique<testing::CubicMixture>(names);
    test::outputOf([&] {
        if (type == 12)
            mix->flash(T, Pbar, z);
        else
            mix->saturation(type == 13, T, z);
    });
    SolvedEquilibrium solved;
    solved.phases.push_back(std::move(mix->liquid));
    solved.phases.push_back(std::move(mix->vapour));
    solved.solver = std::move(mix->ifp);
    return solved;
}

template <class Solve>
EquilibriumCase both(std::string name, Solve solve, std::vector<std::string> names,
                     std::vector<double> z, int type, double T, double Pbar,
                     double tolerance = 1e-7) {
    std::vector<std::string> otherNames(names.rbegin(), names.rend());
    std::vector<double> otherZ(z.rbegin(), z.rend());
    // A dew point in the other order is still a dew point: the problem does not change.
    return {std::move(name), [=] { return solve(names, z, type, T, Pbar); },
            [=] { return solve(otherNames, otherZ, type, T, Pbar); }, tolerance};
}

VORNEX_EQUILIBRIUM_IDENTITY_SUITE(
    Vle, both("RaoultFlash", raoult, {"C3", "nC4"}, {0.4, 0.6}, 12, 300.0, 5.0, 1e-4),
    both("RaoultBubble", raoult, {"C3", "nC4"}, {0.4, 0.6}, 13, 300.0, 0.0, 1e-4),
    both("RaoultDew", raoult, {"C3", "nC4"}, {0.4, 0.6}, 31, 300.0, 0.0, 1e-4),
    both("IFPFlash", rigorous, {"CH4", "C2H6"}, {0.5, 0.5}, 12, 250.0, 40.0),
    both("IFPBubble", rigorous, {"CH4", "CO2"}, {0.2, 0.8}, 13, 250.0, 0.0),
    both("IFPDew", rigorous, {"CH4", "C2H6"}, {0.7, 0.3}, 31, 230.0, 0.0));

}  // namespace
}  // namespace vornex

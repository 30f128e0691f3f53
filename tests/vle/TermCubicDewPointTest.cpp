// The dew point of a water-rich vapour over a heavy hydrocarbon on the term-based SRK: the
// same point in either order of the components, its first drop nearly pure water, the two
// phases of equal fugacities, and the closed-form SRK's point.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/TermCubic.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex {
namespace {

struct Answer {
    int status = -1;
    double P = 0.0;  // Pa
    std::vector<double> x, y;
    double lnfGap = 1.0;
};

template <class Make>
Answer dewPoint(Make make, const std::vector<std::string>& names, const std::vector<double>& z,
                double T) {
    std::unique_ptr<FluidPhase> liquid = make(2), vapour = make(1);
    for (FluidPhase* f : {liquid.get(), vapour.get()}) {
        f->number_of_components(2);
        for (const auto& n : names) f->add_component(n.c_str());
    }
    IFP ifp(*liquid, *vapour);
    ifp.number_of_components(2);
    for (const auto& n : names) ifp.add_component(n.c_str());
    for (int i = 0; i < 2; ++i) ifp.composition(i, z[static_cast<std::size_t>(i)]);
    ifp.set_type_of_problem(13);
    ifp.set_the_temperature(T);
    ifp.set_the_pressure(1.0);
    ifp.set_the_vaporization_ratio(1.0);
    test::outputOf([&] { ifp.calculateVLE(2); });
    Answer a;
    a.status = ifp.status;
    a.P = ifp.current.P;
    a.x = ifp.current.x;
    a.y = ifp.current.y;
    if (a.status != 0) return a;
    // The two phases' fugacities at the answer, each on its own side's model.
    std::vector<double> lnf[2];
    int k = 0;
    for (auto [f, c] : {std::pair{liquid.get(), &a.x}, std::pair{vapour.get(), &a.y}}) {
        f->temperature(T);
        f->pressure(a.P * 1e-5);
        for (int i = 0; i < 2; ++i) f->composition_of_component(i, (*c)[static_cast<std::size_t>(i)]);
        f->error = 0;
        f->calculate_molar_volume();
        f->calculate_fugacities();
        for (int i = 0; i < 2; ++i)
            lnf[k].push_back(std::log((*c)[static_cast<std::size_t>(i)]) + f->lnPhi[i]);
        ++k;
    }
    a.lnfGap = std::max(std::fabs(lnf[0][0] - lnf[1][0]), std::fabs(lnf[0][1] - lnf[1][1]));
    return a;
}

// Octane and water at 550 K, 80 % water: the vapour (some 280 cm3/mol, half the ideal gas's)
// is below the pseudo-critical temperature of the pair, 541 K, but on its vapour side; the
// octane's own critical point (569 K, 492 cm3/mol) is no measure of it.
TEST(TermCubicDewPoint, WaterRichVapourOverOctaneInEitherOrder) {
    const double T = 550.0;
    auto term = [](int side) { return std::unique_ptr<FluidPhase>(new SRK1(side, 0)); };
    auto closed = [](int side) {
        return std::unique_ptr<FluidPhase>(new ClassicalCubic0(kSoaveRedlichKwong, side));
    };
    const Answer reference = dewPoint(closed, {"H2O", "nC8H18"}, {0.8, 0.2}, T);
    ASSERT_EQ(reference.status, 0);
    for (bool waterFirst : {true, false}) {
        SCOPED_TRACE(waterFirst ? "water first" : "octane first");
        const int w = waterFirst ? 0 : 1;
        const Answer a = waterFirst ? dewPoint(term, {"H2O", "nC8H18"}, {0.8, 0.2}, T)
                                    : dewPoint(term, {"nC8H18", "H2O"}, {0.2, 0.8}, T);
        ASSERT_EQ(a.status, 0);
        EXPECT_NEAR(a.P / reference.P, 1.0, 1e-6) << a.P * 1e-5 << " bar";
        EXPECT_GT(a.x[static_cast<std::size_t>(w)], 0.999);
        EXPECT_NEAR(a.y[static_cast<std::size_t>(w)], 0.8, 1e-9);
        EXPECT_LT(a.lnfGap, 1e-6);
    }
}

// The phase's naming critical point is the mixture's cubic at its composition, the same in
// either order, and that of the closed-form SRK.
TEST(TermCubicDewPoint, MixtureCriticalPointIsThatOfItsComposition) {
    ClassicalCubic0 closed(kSoaveRedlichKwong, 1);
    closed.number_of_components(2);
    closed.add_component("H2O");
    closed.add_component("nC8H18");
    closed.composition(0.8, 0.2);
    const double Tc = closed.namingCriticalTemperature(), Vc = closed.namingCriticalVolume();
    ASSERT_GT(Tc, 0.0);
    for (bool waterFirst : {true, false}) {
        SCOPED_TRACE(waterFirst ? "water first" : "octane first");
        SRK1 terms(1, 0);
        terms.number_of_components(2);
        terms.add_component(waterFirst ? "H2O" : "nC8H18");
        terms.add_component(waterFirst ? "nC8H18" : "H2O");
        terms.composition(waterFirst ? 0.8 : 0.2, waterFirst ? 0.2 : 0.8);
        terms.temperature(550.0);
        EXPECT_NEAR(terms.namingCriticalTemperature() / Tc, 1.0, 1e-9);
        EXPECT_NEAR(terms.namingCriticalVolume() / Vc, 1.0, 1e-9);
    }
}

}  // namespace
}  // namespace vornex

// The classic cubic fluids: a textbook example, the critical triple roots, and the
// identities between volume, fugacities, their derivatives and the departure functions.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "cubic/ClassicalCubic0.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

// A pure fluid of one classic-table component at (T, P bar) on the chosen side.
template <class Fluid>
void setState(Fluid& f, double T, double Pbar, int side) {
    f.set_the_phase_as(side);
    f.temperature(T);
    f.pressure(Pbar);
    f.calculate_molar_volume();
}

// n-butane at 350 K and its SRK vapour pressure 9.4573 bar, Tc 425.1 K, Pc 37.96 bar,
// omega 0.200 (Smith, Van Ness and Abbott, Introduction to Chemical Engineering
// Thermodynamics, 7th ed., Example 3.9): volumes in cm3/mol to 0.02 %.
TEST(ClassicCubicTextbook, NormalButaneVolumesOfSrkAndPengRobinson) {
    struct Case {
        const char* name;
        CubicFamily family;
        double vapour, liquid;
    } cases[] = {{"SRK", kSoaveRedlichKwong, 2520.4, 127.82},
                 {"PR", kPengRobinson, 2486.5, 112.61}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ClassicalCubic01 f(k.family, 1);
        f.number_of_components(1);
        f.add_component("nC4");
        f.set_critical_constants(0, 425.1, 37.96e5, 0.200);
        setState(f, 350.0, 9.4573, 1);
        ASSERT_EQ(f.error, 0);
        EXPECT_NEAR(f.V * 1e6, k.vapour, 2e-4 * k.vapour);
        setState(f, 350.0, 9.4573, 2);
        ASSERT_EQ(f.error, 0);
        EXPECT_NEAR(f.V * 1e6, k.liquid, 2e-4 * k.liquid);
    }
}

}  // namespace
}  // namespace vornex

// A gas mixture of three or more components is put to the tangent-plane test of its Gibbs
// energy as a binary is: the Henry-Pitzer set takes its gases' fugacities only from a mixture
// that stands as one phase, and refuses, saying why, one that forms a liquid and a vapour.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "fluid/Metastability.h"
#include "numerics/TextCapture.h"
#include "solubility/HenPitSet.h"

namespace vornex {
namespace {

// The gases, in equal parts, above water at T and P by Henry set 1.
void dissolve(HenPitSet& s, const std::vector<const char*>& gases, double TK, double Pbar) {
    s.setVapourModel(1);
    s.henrySet = 1;
    s.number_of_components(static_cast<int>(gases.size()) + 1);
    s.add_component("H2O");
    for (const char* gas : gases) s.add_component(gas);
    for (std::size_t i = 0; i < gases.size(); ++i)
        s.vapour->composition_of_component(static_cast<int>(i), 1.0 / double(gases.size()));
    s.temperature(TK);
    s.pressure(Pbar);
    s.describe();
}

void setUpGas(ClassicalSRK& gas, const std::vector<const char*>& names,
              const std::vector<double>& z) {
    gas.number_of_components(static_cast<int>(names.size()));
    for (const char* name : names) gas.add_component(name);
    for (std::size_t i = 0; i < z.size(); ++i)
        gas.composition_of_component(static_cast<int>(i), z[i]);
}

// The lowest distance of a trial phase below the tangent plane of CO2, H2S and n-butane in
// equal parts at 298.15 K, against an independent Soave-Redlich-Kwong tangent-plane test (the
// same critical constants and gas constant, no binary parameters; successive substitution
// from 32 starts on both roots, numpy): stable at 6 and 25 bar; at 10 bar -0.30354152 RT (a
// liquid of x(nC4) 0.81204), at 24 bar -0.02014771 RT (a vapour of x(CO2) 0.64126). With one
// component absent the test is the binary's.
TEST(GasMixtureSplit, TernaryTangentPlaneDistances) {
    const std::vector<const char*> names = {"CO2", "H2S", "nC4"};
    const struct {
        double Pbar, distance, trial0, trial2;
    } cases[] = {{6.0, 0.0, 0.0, 0.0},
                 {10.0, -0.30354152, 0.05898667, 0.81203812},
                 {24.0, -0.02014771, 0.64125983, 0.05778357},
                 {25.0, 0.0, 0.0, 0.0}};
    for (const auto& c : cases) {
        ClassicalSRK gas(1);
        setUpGas(gas, names, {1.0 / 3, 1.0 / 3, 1.0 / 3});
        const PhaseSplit split = testPhaseSplit(gas, 298.15, c.Pbar);
        ASSERT_TRUE(split.tested) << c.Pbar;
        EXPECT_EQ(split.splits, c.distance < 0.0) << c.Pbar << " bar: " << split.distance;
        if (c.distance == 0.0) {
            EXPECT_GT(split.distance, -1e-7) << c.Pbar;
            continue;
        }
        EXPECT_NEAR(split.distance, c.distance, 1e-7) << c.Pbar;
        ASSERT_EQ(split.trial.size(), 3u);
        EXPECT_NEAR(split.trial[0], c.trial0, 1e-5) << c.Pbar;
        EXPECT_NEAR(split.trial[2], c.trial2, 1e-5) << c.Pbar;
        // The fluid is left in the stable root of its own composition.
        EXPECT_NEAR(gas.x[2], 1.0 / 3, 1e-12);
        EXPECT_EQ(gas.error, 0);
    }
    // CO2 and H2S in equal parts at 40 bar form a liquid and a vapour; n-butane absent, the
    // trials of three components find the split the binary's scan of its composition line finds.
    ClassicalSRK ternary(1), binary(1);
    setUpGas(ternary, names, {0.5, 0.5, 0.0});
    setUpGas(binary, {"CO2", "H2S"}, {0.5, 0.5});
    const PhaseSplit three = testPhaseSplit(ternary, 298.15, 40.0);
    const PhaseSplit two = testPhaseSplit(binary, 298.15, 40.0);
    ASSERT_TRUE(two.splits);
    EXPECT_TRUE(three.splits);
    EXPECT_DOUBLE_EQ(three.trial[2], 0.0);
    // The scan's grid lies above the true minimum by at most its spacing's share.
    EXPECT_LE(three.distance, two.distance + 1e-9);
    EXPECT_NEAR(three.distance, two.distance, 2e-3 * std::fabs(two.distance));
}

// Regression: with three or more gases the set took the root its vapour side found, which
// passed to the liquid's within the mixture's two-phase band: CO2, H2S and n-butane in equal
// parts at 298.15 K dissolved x(nC4) 7.96e-5 at 25 bar and 1.84e-5 at 26, without a flag.
// Between the mixture's dew and bubble pressures (6-7 and 24-25 bar by the independent test
// above) the set now refuses, saying so; on either side each gas's fraction follows the
// pressure without a jump, from the fugacity of the mixture's stable root.
TEST(GasMixtureSplit, HenryPitzerSetRefusesThreeGasesThatSplit) {
    const std::vector<const char*> gases = {"CO2", "H2S", "nC4"};
    std::vector<double> refused;
    double previousP = 0.0, previous[3] = {0.0, 0.0, 0.0};
    for (double Pbar = 1.0; Pbar <= 60.0; Pbar += 1.0) {
        HenPitSet s;
        testing::internal::CaptureStderr();
        dissolve(s, gases, 298.15, Pbar);
        const std::string said = testing::internal::GetCapturedStderr();
        if (s.error) {
            EXPECT_NE(said.find("the gases form a liquid and a vapour"), std::string::npos)
                << said;
            refused.push_back(Pbar);
            previousP = 0.0;
            continue;
        }
        for (int i = 0; i < 3; ++i) {
            const double x = s.x[static_cast<std::size_t>(i + 1)];
            // Dissolved in proportion to the fugacity, which grows no faster than the pressure
            // in a gas and far slower in a liquid.
            if (previousP > 0.0) {
                EXPECT_GT(x, previous[i]) << gases[i] << " at " << Pbar << " bar";
                EXPECT_LT(std::log(x / previous[i]), std::log(Pbar / previousP) + 1e-3)
                    << gases[i] << " at " << Pbar << " bar";
            }
            previous[i] = x;
        }
        previousP = Pbar;
    }
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.front(), 7.0);
    EXPECT_EQ(refused.back(), 24.0);
    EXPECT_EQ(refused.size(), 18u);
    // Above the bubble pressure the gases are one liquid, whose fugacities the set takes.
    HenPitSet s;
    dissolve(s, gases, 298.15, 25.0);
    ASSERT_EQ(s.error, 0);
    ClassicalSRK liquid(2);
    setUpGas(liquid, gases, {1.0 / 3, 1.0 / 3, 1.0 / 3});
    liquid.calculateFromTP(298.15, 25.0, 0);
    for (int i = 0; i < 3; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_NEAR(s.x[k + 1] * s.henryConstant[k + 1], liquid.fugacity[k],
                    1e-6 * liquid.fugacity[k])
            << gases[i];
    }
    // Methane, CO2 and N2 stay one gas from 1 to 100 bar at 280 K: none is refused.
    for (double Pbar = 1.0; Pbar <= 100.0; Pbar += 9.0) {
        HenPitSet gas;
        dissolve(gas, {"CO2", "CH4", "N2"}, 280.0, Pbar);
        EXPECT_EQ(gas.error, 0) << Pbar;
    }
}

// The gas phase's fractions must sum to one: 0.1 and 0.1 of CO2 and CH4 at 50 bar once
// dissolved as at some 10 bar (x(CO2) 0.00174 against 0.00764), 0.7 and 0.7 were refused as
// a liquid and a vapour, CO2 alone given 0.5 dissolved half (0.00793 against 0.0150). Refused now, saying why; of fractions summing to one, in brine, each
// gas's aqueous fugacity x H equals its fugacity in an independent cubic gas of the same
// composition, for two and three gases. Thirds written to six or four digits (0.999999 and
// 0.9999 in all, once refused) dissolve as the thirds themselves.
TEST(GasMixtureSplit, HenryPitzerSetTakesOnlyAGasPhaseOfFractionsSummingToOne) {
    auto solve = [](const std::vector<const char*>& gases, const std::vector<double>& y,
                    double m, std::string& said) {
        auto s = std::make_unique<HenPitSet>();
        said = test::stderrOf([&] {
            s->setVapourModel(1);
            s->henrySet = 1;
            s->number_of_components(static_cast<int>(gases.size()) + 2);
            s->add_component("H2O");
            for (const char* gas : gases) s->add_component(gas);
            s->add_component("NaCl");
            for (std::size_t i = 0; i < y.size(); ++i)
                s->vapour->composition_of_component(static_cast<int>(i), y[i]);
            s->m = m;
            s->temperature(320.0);
            s->pressure(50.0);
            s->describe();
        });
        return s;
    };
    std::string said;
    for (const std::vector<double>& y :
         {std::vector<double>{0.1, 0.1}, {0.7, 0.7}, {0.5, 0.49}, {0.5}, {0.0}}) {
        const auto s = solve(y.size() == 1 ? std::vector<const char*>{"CO2"}
                                           : std::vector<const char*>{"CO2", "CH4"},
                             y, 0.0, said);
        EXPECT_EQ(s->error, 1) << y[0];
        EXPECT_NE(said.find("sum to"), std::string::npos) << said;
    }
    for (const auto& [gases, y] :
         {std::pair{std::vector<const char*>{"CO2", "CH4"}, std::vector<double>{0.5, 0.5}},
          std::pair{std::vector<const char*>{"CO2", "CH4", "N2"},
                    std::vector<double>{0.2, 0.3, 0.5}}}) {
        const auto s = solve(gases, y, 2.0, said);
        ASSERT_EQ(s->error, 0) << said;
        ClassicalSRK gas(1);
        setUpGas(gas, gases, y);
        gas.calculateFromTP(320.0, 50.0, 0);
        for (std::size_t i = 0; i < gases.size(); ++i)
            EXPECT_NEAR(s->x[i + 1] * s->henryConstant[i + 1], gas.fugacity[i],
                        1e-9 * gas.fugacity[i])
                << gases[i];
    }
    const std::vector<const char*> three = {"CO2", "CH4", "N2"};
    const auto thirds = solve(three, {1.0 / 3, 1.0 / 3, 1.0 / 3}, 2.0, said);
    ASSERT_EQ(thirds->error, 0) << said;
    for (double third : {0.333333, 0.3333}) {
        const auto s = solve(three, {third, third, third}, 2.0, said);
        ASSERT_EQ(s->error, 0) << third << ": " << said;
        for (int i = 1; i <= 3; ++i) EXPECT_NEAR(s->x[i], thirds->x[i], 1e-12 * thirds->x[i]);
    }
}

}  // namespace
}  // namespace vornex

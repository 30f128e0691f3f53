// The phase record: compositions normalised, and bad component names and indices.
#include <gtest/gtest.h>

#include <vector>

#include "fluid/Phase.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

class PhaseRecord : public ::testing::Test {
   protected:
    Phase phase;
};

TEST_F(PhaseRecord, CompositionIsNormalisedAndSetsTheMolarMass) {
    phase.number_of_components(2);
    phase.molarMass = {0.018, 0.058};
    phase.composition(0.2, 0.2);
    EXPECT_DOUBLE_EQ(phase.x[0], 0.5);
    EXPECT_DOUBLE_EQ(phase.M, 0.038);
    phase.composition(0.50004, 0.5);  // within 1e-4 of 1: kept as it is
    EXPECT_EQ(phase.x[0], 0.50004);
    phase.composition(0.0, 0.0);
    EXPECT_EQ(phase.x[1], 0.5);
}

TEST_F(PhaseRecord, CompositionByNameAndBadIndices) {
    phase.number_of_components(2);
    phase.add_components("CO2", "CH4");
    phase.composition_of("CH4", 0.4);
    EXPECT_EQ(phase.x[1], 0.4);
    phase.composition_of("N2", 0.9);
    EXPECT_FALSE(test::stderrOf([&] {
                     phase.composition_of_component(5, 0.1);
                     phase.setComponent(-1, "Ar");
                 }).empty());
    EXPECT_EQ(phase.x, (std::vector<double>{0.0, 0.4}));
}

// Regression: the names and values were read by the count the phase kept, not by those
// given: a phase of 3 components given 2 names (its count is fixed by its first setting)
// read a third from beyond the call and crashed, as did a model of its own 17 components
// given a pair.
TEST_F(PhaseRecord, OnlyTheNamesAndValuesGivenAreRead) {
    phase.number_of_components(3);
    phase.number_of_components(2);  // kept at 3
    phase.add_components("CO2", "CH4");
    EXPECT_EQ(phase.componentsAdded, 2);
    EXPECT_EQ(phase.componentName[2], "");
    phase.add_component("N2");
    EXPECT_EQ(phase.componentName[2], "N2");
    phase.composition(0.2, 0.3, 0.5);
    ASSERT_EQ(phase.error, 0);
    EXPECT_EQ(test::stderrOf([&] { phase.composition(0.6, 0.4); }),
              "composition: 2 values for 3 components; nothing changed\n");
    EXPECT_EQ(phase.error, 1);
    EXPECT_EQ(phase.x, (std::vector<double>{0.2, 0.3, 0.5}));
    phase.error = 0;
    phase.total_number_of_moles(2.0);
    EXPECT_FALSE(test::stderrOf([&] { phase.number_of_moles(1.0); }).empty());
    EXPECT_EQ(phase.error, 1);
    EXPECT_EQ(phase.x, (std::vector<double>{0.2, 0.3, 0.5}));
    phase.number_of_moles(1, 0.5, 0.5);  // an integer amount is an amount
    EXPECT_DOUBLE_EQ(phase.x[0], 0.5);
}

// What a phase with no model behind it does when asked for a model's work: the volume is
// stored, the model's own operations change nothing, and those that would compute say that
// they cannot.
TEST_F(PhaseRecord, TheOperationsOfAModelSayTheyAreNotThere) {
    phase.number_of_components(1);
    phase.temperature(300.0);
    phase.pressure(2.0);
    phase.volume(2.5e-5);
    EXPECT_EQ(phase.V, 2.5e-5);
    double parameters[] = {1.0, 2.0};
    EXPECT_EQ(test::stderrOf([&] { phase.tune(parameters); }), "Not implemented\n");
    EXPECT_EQ(test::stderrOf([&] { phase.set_model_parameter(0, 1.0); }), "Not implemented\n");
    EXPECT_EQ(test::stderrOf([&] { phase.calculate_molar_volume(); }), "Not implemented\n");
    EXPECT_EQ(test::stderrOf([&] {
                  phase.describe();
                  phase.molality(1.0);
              }),
              "");
    EXPECT_EQ(parameters[0], 1.0);
    EXPECT_EQ(phase.T, 300.0);
    EXPECT_EQ(phase.P, 2e5);
    EXPECT_EQ(phase.V, 2.5e-5);
}

}  // namespace
}  // namespace vornex

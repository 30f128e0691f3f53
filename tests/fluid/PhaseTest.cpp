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

}  // namespace
}  // namespace vornex

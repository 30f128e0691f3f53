// The phase record: component bookkeeping, compositions, units of the setters, printing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "expression/NodeTestSupport.h"
#include "fluid/Phase.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

// Records the data hooks as add_component calls them.
class RecordingPhase : public Phase {
   public:
    std::vector<std::string> hooks;
    void read_component_data(int index, const char* name) override {
        hooks.push_back(std::to_string(index) + name);
    }
    void read_remaining_component_data() override { hooks.push_back("rest"); }
};

class PhaseRecord : public ::testing::Test {
   protected:
    RecordingPhase phase;
};

TEST_F(PhaseRecord, ComponentCountIsFixedByItsFirstSettingAndComponentsAreAddedInOrder) {
    RecordingPhase pure;
    pure.number_of_components(1);
    EXPECT_EQ(pure.x[0], 1.0);
    EXPECT_EQ(pure.moles[0], 1.0);
    EXPECT_EQ(pure.totalMoles, 1.0);
    phase.number_of_components(2);
    phase.number_of_components(3);
    EXPECT_EQ(phase.nc, 2);
    EXPECT_EQ(phase.x.size(), 2u);
    EXPECT_EQ(phase.dfdx.size(), 2u);
    // Adding components runs the hooks in order and ignores names beyond the count.
    phase.add_components("H2O", "NaCl");
    phase.add_component("KCl");
    EXPECT_EQ(phase.hooks, (std::vector<std::string>{"0H2O", "1NaCl", "rest"}));
    EXPECT_EQ(phase.componentName[1], "NaCl");
    EXPECT_EQ(phase.componentsAdded, 2);
}

TEST_F(PhaseRecord, CompositionNormalisationAndMoles) {
    phase.number_of_components(2);
    phase.molarMass = {0.018, 0.058};
    phase.composition(0.2, 0.2);
    EXPECT_DOUBLE_EQ(phase.x[0], 0.5);
    EXPECT_DOUBLE_EQ(phase.M, 0.038);
    phase.composition(0.50004, 0.5);  // within 1e-4 of 1: kept as it is
    EXPECT_EQ(phase.x[0], 0.50004);
    phase.composition(0.0, 0.0);
    EXPECT_EQ(phase.x[1], 0.5);
    // Moles with and without a total.
    phase.x = {0.3, 0.7};
    phase.number_of_moles(2.0, 6.0);
    EXPECT_EQ(phase.moles[1], 6.0);
    EXPECT_EQ(phase.x[1], 0.7);
    phase.total_number_of_moles(8.0);
    phase.number_of_moles_of_component(0, 2.0);
    EXPECT_EQ(phase.x[0], 0.25);
    phase.composition_of_component(1, 0.75);
    EXPECT_EQ(phase.moles[1], 6.0);
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

TEST_F(PhaseRecord, PressureAndVolumeUnits) {
    phase.number_of_components(1);
    phase.molarMass[0] = 0.018015268;
    phase.pressure(1.0);
    EXPECT_EQ(phase.P, 100000.0);
    phase.Pascal(250000.0);
    EXPECT_EQ(phase.P, 250000.0);
    phase.gcm3(1.0);
    EXPECT_DOUBLE_EQ(phase.V, 1.8015268e-5);
    phase.cm3g(2.0);
    EXPECT_DOUBLE_EQ(phase.V, 2 * 1.8015268e-5);
}

TEST_F(PhaseRecord, PrintAndUnimplementedOperations) {
    phase.number_of_components(2);
    phase.composition(0.25, 0.75);
    phase.temperature(300.0);
    phase.pressure(2.0);
    phase.volume(2.5e-5);
    EXPECT_EQ(testing::printed([&](FILE* f) { phase.print(f); }),
              "errorflag 0\nx    0.25 0.75 \nT    300 K\nP    2 bar\nV    25 cm3/mol\n\n");
    EXPECT_EQ(test::stderrOf([&] {
                  phase.tune(nullptr);
                  phase.calculate_molar_volume();
              }),
              "Not implemented\nNot implemented\n");
}

}  // namespace
}  // namespace vornex

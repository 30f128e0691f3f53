// Far outside a model's range a heat capacity may reach 1e22 J/(mol K): the printout of the
// state keeps it in its own field, per kg and per mole.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

TEST(StatePrintout, HugeValuesStayInTheirOwnFields) {
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    for (double cv : {36.5, 3.6747942736183152e19, -2.5e22}) {
        fluid->calculateFromTV(300.0, 1e-3, 0);
        fluid->Cv = cv;
        std::istringstream text(test::stdoutOf([&] { fluid->dump(); }));
        std::string line;
        while (std::getline(text, line) && line.find(" cv ") == std::string::npos) continue;
        std::istringstream in(line);
        std::string arrow, name, perKg, kgUnit, perMole, moleUnit, more;
        in >> arrow >> name >> perKg >> kgUnit >> perMole >> moleUnit;
        EXPECT_FALSE(in >> more) << line;
        EXPECT_EQ(kgUnit + " " + moleUnit, "J/kg/K J/mol/K") << line;
        EXPECT_NEAR(std::stod(perKg) / (cv / testing::kVdwMass), 1.0, 1e-4) << line;
        EXPECT_NEAR(std::stod(perMole) / cv, 1.0, 1e-4) << line;
    }
}

}  // namespace
}  // namespace vornex

// Component files as the cubic fluids read them: one that is a FIFO, a folder, a device, a
// dangling link or too large stops the fluid with a message instead of hanging it or looping
// on its bytes, and a molar mass no substance has is refused, not turned into a density.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>

#include "cubic/HCubic.h"
#include "cubic/TermCubic.h"
#include "numerics/FileReader.h"
#include "numerics/TextCapture.h"
#include "support/HostileFiles.h"

namespace vornex {
namespace {

using testing::hostileCases;
using testing::makeHostile;
using testing::runBounded;

// Methane as shipped, its molar mass line replaced.
void writeMethane(const std::string& name, const std::string& massLine) {
    std::filesystem::create_directories("compo");
    std::ofstream("compo/" + name) << massLine << "\nTc 190.564\nPc 4599200\nomega 0.01142\n";
}

// The fluid's density at 300 K and 10 bar, its error flag and what it said.
struct Outcome {
    double rho = 0;
    int error = 0;
    std::string said;
};

Outcome methaneAt300K(FluidPhase& f, const char* component) {
    Outcome o;
    o.said = test::stderrOf([&] {
        f.number_of_components(1);
        f.add_component(component);
        f.set_the_phase_as(1);
        f.temperature(300.0);
        f.pressure(10.0);
        f.calculate_molar_volume();
    });
    o.rho = f.rho;
    o.error = f.error;
    return o;
}

TEST(ComponentFileReaders, SpecialFileStopsTheFluidWithoutHanging) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "compo/XX", kComponentFileLimit + 1);
        const auto run = runBounded(20, [] {
            SRK1 f(1, 0);
            const Outcome o = methaneAt300K(f, "XX");
            return "error " + std::to_string(o.error) + ": " + o.said;
        });
        ASSERT_TRUE(run.finished) << "reading the component hung or ran out of memory";
        EXPECT_EQ(run.said.rfind("error 1: ", 0), 0u) << run.said;
        EXPECT_NE(run.said.find("compo/XX"), std::string::npos) << run.said;
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
}

// A molar mass of -1 once gave a density of -15,481.9 kg/m3 with the error flag clear, and
// 0 a density of 0.
TEST(ComponentFileReaders, MolarMassThatIsNotPositiveIsRefused) {
    struct Fluid {
        const char* name;
        std::unique_ptr<FluidPhase> (*make)();
    };
    const Fluid fluids[] = {
        {"SRK1", [] { return std::unique_ptr<FluidPhase>(new SRK1(1, 0)); }},
        {"TwoPar", [] { return std::unique_ptr<FluidPhase>(new TwoPar(1)); }},
    };
    const char* const bad[] = {"M -1", "M 0", "mw -0.016", "M -1e308"};
    for (const Fluid& fluid : fluids)
        for (const char* line : bad) {
            SCOPED_TRACE(std::string(fluid.name) + ", " + line);
            writeMethane("BadMass", line);
            auto f = fluid.make();
            const Outcome o = methaneAt300K(*f, "BadMass");
            EXPECT_EQ(o.error, 1);
            EXPECT_NE(o.said.find("molar mass"), std::string::npos) << o.said;
            EXPECT_FALSE(o.rho < 0) << "a negative density was computed";
        }
    // Without a molar mass that is a number (none at all, nan, inf) the fluid once kept 0 and
    // gave a density of 0 as a result.
    for (const char* line : {"", "mw nan", "mw inf", "M -inf"}) {
        SCOPED_TRACE(std::string("SRK1, ") + line);
        writeMethane("NoMass", line);
        SRK1 f(1, 0);
        const Outcome o = methaneAt300K(f, "NoMass");
        EXPECT_EQ(o.error, 1);
        EXPECT_NE(o.said.find("compo/NoMass"), std::string::npos) << o.said;
        EXPECT_NE(o.said.find("\"mw\""), std::string::npos) << o.said;
    }
    // A molar mass in g/mol (16.043 for 0.016043 kg/mol) gave 6539 kg/m3 for methane gas,
    // 1e308 an infinite density and 1e-320 one of 4e-318, each with the flag clear, and "0x10"
    // was read as 16: a molar mass outside 0.001 to 2 kg/mol, or not in decimal, is refused,
    // with the file and line.
    for (const Fluid& fluid : fluids)
        for (const char* line : {"mw 16.043", "M 1e308", "mw 1e-320", "M 2.5", "M 0.0009"}) {
            SCOPED_TRACE(std::string(fluid.name) + ", " + line);
            writeMethane("AbsurdMass", line);
            auto f = fluid.make();
            const Outcome o = methaneAt300K(*f, "AbsurdMass");
            EXPECT_EQ(o.error, 1);
            EXPECT_NE(o.said.find("compo/AbsurdMass, line 1: the molar mass"), std::string::npos)
                << o.said;
            EXPECT_NE(o.said.find("0.001 to 2 kg/mol"), std::string::npos) << o.said;
        }
    {
        writeMethane("HexMass", "# methane\nM 0x10");
        SRK1 f(1, 0);
        const Outcome o = methaneAt300K(f, "HexMass");
        EXPECT_EQ(o.error, 1);
        EXPECT_NE(o.said.find("compo/HexMass, line 2: the value of M is missing or not numeric"),
                  std::string::npos)
            << o.said;
    }
    // The same file with methane's molar mass gives methane's gas density.
    for (const Fluid& fluid : fluids) {
        SCOPED_TRACE(fluid.name);
        writeMethane("GoodMass", "M 0.0160428");
        auto f = fluid.make();
        const Outcome o = methaneAt300K(*f, "GoodMass");
        EXPECT_EQ(o.error, 0) << o.said;
        // An ideal gas of methane at 300 K and 10 bar holds 6.43 kg/m3; the real gas, with Z
        // a little below 1, a little more.
        EXPECT_GT(o.rho, 6.43);
        EXPECT_LT(o.rho, 6.43 * 1.05);
    }
}

// A Heyen component's critical compressibility Pc Vc/(R Tc) must lie in (0, 1/2]; beyond, the
// covolume factor is not positive and the component is refused.
TEST(ComponentFileReaders, HeyenCriticalCompressibilityOutsideItsRangeIsRefused) {
    std::filesystem::create_directories("compo");
    const double RTcPc = kGasConstant * 190.564 / 4599200;
    for (double zeta : {0.6, -0.2, 1.0 / 3.0}) {
        SCOPED_TRACE(zeta);
        std::ofstream("compo/Zeta") << "Tc 190.564\nPc 4599200\nVc " << zeta * RTcPc
                                    << "\nslope 0.55\nnn 0.8\nm 0\nteta 1\nmw 0.0160428\n";
        Heyen f(1);
        const Outcome o = methaneAt300K(f, "Zeta");
        if (zeta == 1.0 / 3.0) {
            // The compressibility of Soave-Redlich-Kwong: its methane gas.
            EXPECT_EQ(o.error, 0) << o.said;
            EXPECT_GT(o.rho, 6.43);
            EXPECT_LT(o.rho, 6.43 * 1.05);
            continue;
        }
        EXPECT_EQ(o.error, 1);
        EXPECT_NE(o.said.find("critical compressibility"), std::string::npos) << o.said;
        EXPECT_NE(o.said.find("of Zeta refused"), std::string::npos) << o.said;
        EXPECT_EQ(o.rho, 0.0);
    }
}

}  // namespace
}  // namespace vornex

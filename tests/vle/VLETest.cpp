#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "RaoultMixture.h"
#include "numerics/TextCapture.h"
#include "vle/VLE.h"

namespace vornex {
namespace {

// Phase pairing, components and the bulk composition of the base object.
class VLEBookkeeping : public ::testing::Test {
   protected:
    FluidPhase liquid{0, 2, 0};
    FluidPhase vapour{0, 1, 0};
    FluidPhase liquid2{0, 2, 0};
    FluidPhase vapour2{0, 1, 0};
    void SetUp() override {
        liquid.Vl0 = 1.8e-5;
        vapour.Vv0 = 2e-4;
    }
};

TEST_F(VLEBookkeeping, PhasesAreOrderedLiquidFirst) {
    VLE a(liquid, vapour), b(vapour, liquid);
    for (VLE* vle : {&a, &b}) {
        EXPECT_EQ(vle->firstPhase, &liquid);
        EXPECT_EQ(vle->secondPhase, &vapour);
        EXPECT_EQ(vle->liquidLiquid, 0);
        EXPECT_EQ(vle->status, 0);
        EXPECT_DOUBLE_EQ(vle->trial.Vl, 1.8e-5);
        EXPECT_DOUBLE_EQ(vle->last.Vv, 2e-4);
    }
    VLE ll(liquid, liquid2);
    EXPECT_EQ(ll.liquidLiquid, 1);
    EXPECT_EQ(ll.firstPhase, &liquid);
}

TEST_F(VLEBookkeeping, TwoVapoursMakeNoPair) {
    std::unique_ptr<VLE> vle;
    EXPECT_EQ(test::stderrOf([&] { vle = std::make_unique<VLE>(vapour, vapour2); }),
              "The definition of the phases is not correct.\n");
    EXPECT_EQ(vle->status, 6);
    EXPECT_EQ(vle->firstPhase, nullptr);
}

TEST_F(VLEBookkeeping, ComponentsReachBothPhasesAndTheBulk) {
    VLE vle(liquid, vapour);
    vle.N = 2.0;
    vle.number_of_components(2);
    vle.add_components("CO2", "H2O");
    EXPECT_EQ(vle.added, 2);
    EXPECT_EQ(liquid.componentName[1], "H2O");
    EXPECT_EQ(vapour.componentName[0], "CO2");
    vle.bulk_composition(0.25, 0.75);
    EXPECT_DOUBLE_EQ(vle.z[1], 0.75);
    EXPECT_DOUBLE_EQ(vle.bulkAmount[1], 1.5);
    EXPECT_EQ(vle.header("x", "     "), "xCO2     xH2O     ");
    vle.vaporization_ratio(0.25);
    EXPECT_DOUBLE_EQ(vle.current.nV, 0.5);
    EXPECT_DOUBLE_EQ(vle.current.nL, 1.5);
    vle.xcomposition(0, 0.1, 0.2, 0.3);
    EXPECT_EQ(vle.trial.x[0], 0.2);
    EXPECT_EQ(vle.last.x[0], 0.3);
    ::testing::internal::CaptureStderr();
    vle.composition(5, 0.1);  // no such component
    EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
}

// A call with fewer names or fractions than components reads only its own arguments: the
// fractions are refused whole and the names given are all that is stored.
TEST_F(VLEBookkeeping, ShortListsReadOnlyTheirOwnArguments) {
    VLE vle(liquid, vapour);
    vle.N = 1.0;
    vle.number_of_components(3);
    vle.add_components("CO2", "H2O");
    EXPECT_EQ(vle.added, 2);
    vle.add_component("CH4");
    vle.bulk_composition(0.2, 0.3, 0.5);
    std::string said = test::stderrOf([&] { vle.bulk_composition(0.6, 0.4); });
    EXPECT_NE(said.find("2 values for 3 components"), std::string::npos) << said;
    EXPECT_DOUBLE_EQ(vle.z[0], 0.2);
    EXPECT_DOUBLE_EQ(vle.z[1], 0.3);
    EXPECT_DOUBLE_EQ(vle.z[2], 0.5);
    vle.add_components("C2", "C3", "nC4", "iC4");  // the fourth name is beyond the count
    EXPECT_EQ(vle.added, 3);
    EXPECT_EQ(vle.header("", " "), "C2 C3 nC4 ");
}

TEST_F(VLEBookkeeping, OneComponentStartsPure) {
    VLE vle;
    vle.number_of_components(1);
    EXPECT_EQ(vle.current.x[0], 1.0);
    EXPECT_EQ(vle.current.y[0], 1.0);
}

TEST_F(VLEBookkeeping, VapourVolumeFractionConversion) {
    VLE vle;
    vle.set_the_vaporization_ratio1(0.5);
    EXPECT_DOUBLE_EQ(vle.current.Fv, 0.5 / 50.5);
    EXPECT_DOUBLE_EQ(vle.spec.phi, 0.5);
    vle.set_the_pressure(3.0);
    EXPECT_DOUBLE_EQ(vle.spec.P, 3e5);
}

// The vapour volume fraction phi stands for a vapour 100 times as voluminous per mole as
// the liquid: the amounts it sets give nV 100 / (nV 100 + nL) = phi, and each phase gets
// its own amount.
TEST_F(VLEBookkeeping, VapourVolumeFractionSetsTheAmountsOfBothPhases) {
    VLE vle(liquid, vapour);
    vle.N = 2.0;
    vle.number_of_components(2);
    for (double phi : {0.0, 0.25, 0.5, 0.9, 1.0}) {
        SCOPED_TRACE(phi);
        vle.vaporization_ratio1(phi);
        EXPECT_EQ(vle.current.phi, phi);
        const double nV = vle.current.nV, nL = vle.current.nL;
        EXPECT_NEAR(nV + nL, 2.0, 1e-15);
        EXPECT_NEAR(nV * 100 / (nV * 100 + nL), phi, 1e-14);
        EXPECT_NEAR(vle.current.Fv, nV / 2.0, 1e-15);
        EXPECT_EQ(vapour.totalMoles, nV);
        EXPECT_EQ(liquid.totalMoles, nL);
    }
}

TEST_F(VLEBookkeeping, PrintingFlagIsKeptForEveryKindOfSolver) {
    VLE vle(liquid, vapour);
    EXPECT_EQ(vle.printing, 0);
    vle.set_printing_flag(2);
    EXPECT_EQ(vle.printing, 2);
    auto raoult = testing::propaneButane(0.4);
    VLE& base = *raoult;
    base.set_printing_flag(1);
    EXPECT_EQ(raoult->printing, 1);
    base.set_printing_flag(0);
    EXPECT_EQ(raoult->printing, 0);
}

TEST_F(VLEBookkeeping, BaseSolvesNothingAndRejectsUnknownTypes) {
    VLE vle;
    vle.number_of_components(2);
    vle.set_type_of_problem(44);
    EXPECT_EQ(test::stderrOf([&] { vle.calculateVLE(); }), "Type of problem not defined\n");
    EXPECT_EQ(vle.status, 2);
}

TEST_F(VLEBookkeeping, HistoryLogsEveryStep) {
    VLE vle;
    vle.number_of_components(2);
    ASSERT_TRUE(vle.set_history("history.txt"));
    vle.set_type_of_problem(12);
    vle.set_the_temperature(300.0);
    vle.set_the_pressure(2.0);
    vle.xcomposition(0, 0.5);
    vle.calculateVLE();
    ASSERT_TRUE(vle.set_history("history2.txt"));  // closes the first
    EXPECT_EQ(test::readFile("history.txt"), "T 300 P 2 x 0.5 0 y 0 0 \n");
    EXPECT_FALSE(vle.set_history("no/such/folder/h.txt"));
    EXPECT_EQ(vle.historyFlag, 0);
}

// The start read from a table of earlier equilibria, named at the console prompt.
class VLEStartFromFile : public ::testing::Test {
   protected:
    VLE vle;
    std::istringstream answers;
    void SetUp() override {
        vle.number_of_components(2);
        vle.setInput(answers);
        vle.set_type_of_problem(13);
        vle.set_initialization_flag(5);
        vle.set_the_temperature(305.0);
        vle.set_the_vaporization_ratio(0.25);
        test::writeFile("start.txt",
                        "T P x0 x1 y0 y1 a b c\n"
                        "290 4 0.1 0.9 0.3 0.7 0 0 0\n"
                        "300 5 0.2 0.8 0.4 0.6 0 0 0\n"
                        "310 6 0.3 0.7 0.5 0.5 0 0 0\n");
    }
};

TEST_F(VLEStartFromFile, RowBracketingTheTemperatureIsTaken) {
    answers.str("start.txt\n");
    EXPECT_EQ(test::stdoutOf([&] { vle.initialize(); }), "Input file name : ");
    EXPECT_DOUBLE_EQ(vle.current.P, 6e5);
    EXPECT_DOUBLE_EQ(vle.current.x[0], 0.3);
    EXPECT_DOUBLE_EQ(vle.last.y[1], 0.5);
    EXPECT_DOUBLE_EQ(vle.current.nV, 0.25);
}

TEST_F(VLEStartFromFile, MissingFileEndOfInputOrTruncatedRowSetNothing) {
    test::writeFile("short.txt", "T P x0 x1\n290 4 0.1 0.9 0.3\n310 6 0.3");
    for (auto [answer, mention] :
         {std::pair{"absent.txt\n", "absent.txt file not found !\n"},
          std::pair{"", "No file name given\n"}, std::pair{"short.txt\n", ""}}) {
        answers.clear();
        answers.str(answer);
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        vle.initialize();
        const std::string said =
            ::testing::internal::GetCapturedStdout() + ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(vle.current.P + vle.current.x[0], 0.0) << answer;
        EXPECT_NE(said.find(mention), std::string::npos) << said;
    }
}

// A row written with decimal commas is refused, saying which word, never read in part.
TEST_F(VLEStartFromFile, AWordThatIsNoWholeNumberRefusesTheTable) {
    test::writeFile("comma.txt",
                    "T P x0 x1 y0 y1 a b c\n"
                    "290 4 0.1 0.9 0.3 0.7 0 0 0\n"
                    "310 6,5 0.3 0.7 0.5 0.5 0 0 0\n");
    answers.str("comma.txt\n");
    const std::string said = test::stdoutOf([&] { vle.initialize(); });
    EXPECT_NE(said.find("\"6,5\" is not a number"), std::string::npos) << said;
    EXPECT_EQ(vle.current.P, 0.0);
}

}  // namespace
}  // namespace vornex

// The Anderko-Pitzer models in the identity suite of every equation of state: pure water
// and the H2O-NaCl fluid (system code 10) at 10 mol % NaCl, in the model's high-temperature
// range.
#include "anderko/Anderko.h"
#include "anderko/AnderkoH2O.h"
#include "support/EosIdentitySuite.h"

namespace vornex {
namespace {

using testing_support::EosModel;

const std::vector<std::array<double, 2>> kStates = {
    {673.15, 3.5e-5}, {773.15, 6e-5}, {873.15, 2e-4}, {1073.15, 1e-3}};

VORNEX_EOS_IDENTITY_SUITE(Anderko,
                          EosModel{"AnderkoH2O", [] { return std::make_unique<AnderkoH2O>(2); },
                                   kStates, 573.15},
                          EosModel{"AnderkoH2ONaCl",
                                   [] {
                                       auto m = std::make_unique<Anderko>(2);
                                       m->setSystemCode(10);
                                       m->composition(0.9, 0.1);
                                       return std::unique_ptr<FluidPhase>(std::move(m));
                                   },
                                   kStates, 0.0});

TEST(AnderkoAmounts, AmountsReachTheTermsAsFractions) {
    // Amounts once wrote the fractions without the terms: at 800 K and 1000 bar the brine
    // set to 0.9, 0.1 by amounts after 0.5, 0.5 gave 3.0283e-5 m3/mol, by fractions 2.7604e-5.
    Anderko byAmounts(2), byFractions(2);
    for (Anderko* m : {&byAmounts, &byFractions}) {
        m->setSystemCode(10);
        m->composition(0.5, 0.5);
        m->calculateFromTP(800.0, 1000.0, 0);
    }
    byAmounts.total_number_of_moles(1.0);
    byAmounts.number_of_moles(0.9, 0.1);
    byFractions.composition(0.9, 0.1);
    for (Anderko* m : {&byAmounts, &byFractions}) {
        m->calculateFromTP(800.0, 1000.0, 0);
        ASSERT_EQ(m->error, 0);
    }
    EXPECT_NEAR(byFractions.V, 2.7604e-5, 1e-9);
    EXPECT_DOUBLE_EQ(byAmounts.V, byFractions.V);
    EXPECT_DOUBLE_EQ(byAmounts.fugacityCoefficient[0], byFractions.fugacityCoefficient[0]);
}

}  // namespace
}  // namespace vornex

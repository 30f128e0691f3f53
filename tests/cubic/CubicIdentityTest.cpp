// The cubic fluids in the identity suite of every equation of state: the classical cubics
// (the translated seventeen-component petroleum fluid among them) and the three-constant
// (Heyen) family with their departure functions, the term-based cubics and the
// second-virial fluid with whole functions; pure fluids with a saturation state, and
// mixtures in both component orders.
#include <filesystem>
#include <fstream>
#include <memory>

#include "cubic/ClassicalCubic0.h"
#include "cubic/CriticalInterpolation.h"
#include "cubic/HCubic.h"
#include "cubic/TermCubic.h"
#include "cubic/Virial.h"
#include "support/EosIdentitySuite.h"

namespace vornex {
namespace {

using testing_support::Convention;
using testing_support::EosModel;
using testing_support::maker;
using testing_support::mixtureModel;
using testing_support::pureModel;

// Gas, dense fluid and liquid of methane; a methane-carbon dioxide gas and dense fluid.
const std::vector<std::array<double, 2>> kMethane = {{300, 2.1e-4}, {250, 6e-5}, {150, 4.6e-5}};
const std::vector<std::array<double, 2>> kMethaneCO2 = {{300, 2e-4}, {350, 1e-4}, {250, 1e-3}};

// The Heyen test files: SRK's constants for methane, and a heavier fluid of its own zeta
// whose covolume moves with T; the mixture with local-composition parameters L_ij != 1.
// The pure fluid is a methane of zeta 0.319 and a moving covolume, under the name whose
// saturation start values the fluid knows.
std::unique_ptr<FluidPhase> heyen(bool mixture, bool reversed) {
    std::filesystem::create_directories("compo");
    std::filesystem::copy_file(VORNEX_TEST_DATA_DIR "/compo/HeyenSRK", "compo/HeyenSRK",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream("compo/HeyenHeavy")
        << "Tc 400 Pc 4e6 Vc 2.41e-4 omega 0 slope 0.7 nn 0.9 m 0.1 teta 2 mw 0.05\n";
    std::ofstream("compo/CH4") << "Tc 190.564 Pc 4599200 Vc 1.1e-4 omega 0.01142 slope 0.55 "
                                  "nn 0.8 m 0.05 teta 2 mw 0.0160428\n";
    auto f = std::make_unique<Heyen>(1);
    if (!mixture) {
        f->number_of_components(1);
        f->add_component("CH4");
        return f;
    }
    f->number_of_components(2);
    const int light = reversed ? 1 : 0, heavy = 1 - light;
    f->add_component(reversed ? "HeyenHeavy" : "HeyenSRK");
    f->add_component(reversed ? "HeyenSRK" : "HeyenHeavy");
    f->set_binary_interaction_kaij(light, heavy, 0.05);
    f->set_local_composition_parameter(light, heavy, 0.7);
    f->set_local_composition_parameter(heavy, light, 1.4);
    f->composition_of_component(light, 0.6);
    f->composition_of_component(heavy, 0.4);
    return f;
}

// The binary virial fluid, B = p1 x0^2 + 2 p2 x0 x1 + p3 x1^2 (m3/mol).
std::unique_ptr<FluidPhase> virialBinary(bool reversed) {
    auto f = std::make_unique<VirialEos>(1, 0, 0);
    const double first = -1.2e-4, cross = -6e-5, second = -2e-5;
    f->set_virial_coefficients(reversed ? second : first, cross, reversed ? first : second);
    f->composition(reversed ? 0.7 : 0.3, reversed ? 0.3 : 0.7);
    return f;
}

// The petroleum fluid of its own seventeen components (N2 to the heavy pseudo-components),
// volume-translated, mostly methane.
std::unique_ptr<FluidPhase> petroleum() {
    auto f = std::make_unique<Montel>(1);
    std::vector<double> x(17, 0.02);
    x[0] = x[2] = 0.01;
    x[3] = 0.61;
    x[4] = 0.08;
    x[5] = 0.05;
    x[7] = 0.03;
    x[8] = x[9] = 0.015;
    f->composition(x.data());
    return f;
}

EosModel departures(EosModel model) {
    return model.as(Convention::Departure);
}

VORNEX_EOS_IDENTITY_SUITE(
    Cubic,
    departures(pureModel("ClassicalSRK", maker<ClassicalSRK>(1), "CH4", kMethane, 150.0)),
    departures(mixtureModel("ClassicalSRKMix", maker<ClassicalSRK>(1), {"CH4", "CO2"}, {0.7, 0.3},
                            kMethaneCO2)),
    departures(pureModel("PengRobinson", maker<ClassicalCubic0>(kPengRobinson, 1), "CO2",
                         {{350, 1.9e-4}, {300, 5.5e-5}, {673.15, 7.6e-5}}, 273.15)),
    departures(mixtureModel("PengRobinsonMix", maker<ClassicalCubic01>(kPengRobinson, 1),
                            {"CH4", "C2H6", "CO2"}, {0.6, 0.3, 0.1}, kMethaneCO2)),
    departures(EosModel{"Montel", petroleum, {{500, 2e-4}, {600, 1e-4}, {450, 1e-3}}}
                   .orderFixedBecause("its binary parameters are a table over its own order")),
    departures(mixtureModel("CriticalInterpolationSRK", maker<CriticalInterpolationSRK>(1),
                            {"CH4", "CO2"}, {0.7, 0.3}, kMethaneCO2)),
    departures(pureModel("TwoPar", maker<TwoPar>(1), "CH4", kMethane, 150.0)),
    departures(mixtureModel("TwoParMix", maker<TwoPar>(1), {"CH4", "CO2"}, {0.7, 0.3},
                            kMethaneCO2)),
    departures(pureModel("ThreePar", maker<ThreePar>(1), "CO2",
                         {{350, 1.9e-4}, {300, 5.5e-5}, {673.15, 7.6e-5}}, 280.0)),
    departures(mixtureModel("ThreeParMix", maker<ThreePar>(1), {"CH4", "CO2"}, {0.7, 0.3},
                            kMethaneCO2)),
    departures(EosModel{"Heyen", [] { return heyen(false, false); },
                        {{300, 2.1e-4}, {250, 6e-5}, {150, 4.3e-5}}, 150.0}),
    departures(EosModel{"HeyenMix", [] { return heyen(true, false); }, kMethaneCO2}.reversedBy(
        [] { return heyen(true, true); })),
    pureModel("SRK1", maker<SRK1>(1, 0), "CH4", kMethane, 150.0),
    mixtureModel("SRK1Mix", maker<SRK1>(1, 0), {"CH4", "CO2"}, {0.7, 0.3}, kMethaneCO2),
    pureModel("PRSV", maker<PRSV>(1, 0), "H2O", {{700, 3e-4}, {500, 2e-5}, {600, 1e-3}}, 450.0),
    mixtureModel("PRSVMix", maker<PRSV>(1, 0), {"CH4", "H2O"}, {0.9, 0.1},
                 {{500, 2e-4}, {600, 1e-4}, {700, 1e-3}}),
    pureModel("PRNirma", maker<PRNirma>(1, 2, 0), "H2O", {{700, 3e-4}, {500, 2e-5}, {600, 1e-3}},
              450.0),
    mixtureModel("SRK2", maker<SRK2>(1), {"CH4", "CO2"}, {0.4, 0.6}, kMethaneCO2),
    EosModel{"DaridonEOS",
             [] {
                 return testing_support::withComponents(maker<DaridonEOS>(1), {"H2O", "CH4"},
                                                        {0.1, 0.9});
             },
             {{500, 2e-4}, {600, 1e-4}, {700, 1e-3}}}
        .orderFixedBecause("water is component 0 of the Daridon attraction, by its design"),
    EosModel{"VirialGas", [] {
                 auto f = std::make_unique<VirialEos>(1, 1, 0);
                 f->add_component("CH4");
                 return std::unique_ptr<FluidPhase>(std::move(f));
             },
             {{300, 1e-3}, {250, 5e-4}, {500, 2e-4}}},
    EosModel{"VirialMix", [] { return virialBinary(false); }, {{300, 1e-3}, {250, 5e-4}}}
        .reversedBy([] { return virialBinary(true); }));

}  // namespace
}  // namespace vornex

// The parameter listing of an Anderko-Pitzer fluid, through the fluid that holds the terms:
// its dispersion term gives the published covolume of each component in the system's order.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

// The covolumes listed after the line "Dispersion Anderko", in listing order.
std::vector<double> listedCovolumes(const std::string& listing) {
    std::vector<double> b;
    const size_t start = listing.find("Dispersion Anderko\n");
    if (start == std::string::npos) return b;
    size_t at = start + 19;
    for (size_t i = 0;; ++i) {
        const std::string tag = "\tb" + std::to_string(i) + " = ";
        if (listing.compare(at, tag.size(), tag) != 0) break;
        size_t used = 0;
        b.push_back(std::stod(listing.substr(at + tag.size()), &used));
        const size_t end = listing.find(" m3/mol\n", at);
        if (end != at + tag.size() + used) break;
        at = end + 8;
    }
    return b;
}

TEST(DispersionParameters, FluidListingGivesEachComponentsPublishedCovolume) {
    constexpr double H2O = 2.84959143e-05, NaCl = 6.00124e-05, KCl = 8.1783e-05,
                     CO2 = 4.952e-05, CH4 = 4.4e-05;
    const struct {
        char code;
        std::vector<double> b;
    } systems[] = {{1, {H2O}},
                   {10, {H2O, NaCl}},
                   {15, {NaCl, CH4}},
                   {20, {H2O, NaCl, CO2}},
                   {13, {H2O, KCl}}};
    for (const auto& system : systems) {
        Anderko fluid(2);
        fluid.setSystemCode(system.code);
        const std::string listing = test::stdoutOf([&] { fluid.print_parameters(stdout); });
        const std::vector<double> b = listedCovolumes(listing);
        ASSERT_EQ(b.size(), system.b.size()) << int(system.code) << "\n" << listing;
        for (size_t i = 0; i < b.size(); ++i)
            EXPECT_NEAR(b[i], system.b[i], 1e-9 * system.b[i]) << int(system.code) << " " << i;
    }
}

}  // namespace
}  // namespace vornex

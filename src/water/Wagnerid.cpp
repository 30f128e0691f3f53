#include "water/Wagnerid.h"

#include <cmath>
#include <string>

#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

// IAPWS-95 ideal-gas coefficients, Table 1 of the release (1995 digits of n1 and n2).
constexpr double kN1 = -8.32044648201;
constexpr double kN2 = 6.6832105268;
constexpr double kN3 = 3.00632;
constexpr double kN[5] = {0.012436, 0.97315, 1.2795, 0.96956, 0.24873};
constexpr double kGamma[5] = {1.28728967, 3.53734222, 7.74073708, 9.24437796, 27.5075105};

}  // namespace

Wagnerid::Wagnerid() {
    setModelName("WagnerIdeal");
    std::vector<Expression*> terms;
    auto& lnDelta = nodes_.make<Logarithm>("a0");  // ln delta
    lnDelta.set_scalars3(1.0, 0.0, 0.0);
    lnDelta.tie1(leaves_.delta());
    terms.push_back(&lnDelta);
    auto& linear = nodes_.make<Sum1>("a1");  // n2 tau + n1
    linear.set_scalars2(kN2, kN1);
    linear.tie1(leaves_.tau());
    terms.push_back(&linear);
    auto& lnTau = nodes_.make<Logarithm>("a2");  // n3 ln tau
    lnTau.set_scalars3(kN3, 0.0, 0.0);
    lnTau.tie1(leaves_.tau());
    terms.push_back(&lnTau);
    for (int i = 0; i < 5; ++i) {
        // n_i ln(1 - exp(-gamma_i tau))
        auto& e = nodes_.make<Exponential>("e" + std::to_string(i + 3));
        e.set_scalars3(0.0, -1.0, -kGamma[i]);
        e.tie1(leaves_.tau());
        auto& ln = nodes_.make<Logarithm>("a" + std::to_string(i + 3));
        ln.set_scalars3(kN[i], 1.0, 0.0);
        ln.tie1(e);
        terms.push_back(&ln);
    }
    makeRoot(terms);
}

void Wagnerid::calculate_fixed_parameters() {
    // Fugacities take the ideal gas as -ln V = ln delta - ln Vc.
    const bool fugacityMode = fugacityFlag != 0;
    const int n = static_cast<int>(sum_->terms.size());
    for (int i = 1; i < n; ++i) sum_->set_scalar(i, fugacityMode ? 0.0 : 1.0);
    sum_->set_scalar(n, fugacityMode ? -std::log(kWaterCriticalVolume) : 0.0);
    leaves_.write(T, V);
}

}  // namespace vornex

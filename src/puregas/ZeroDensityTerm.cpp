#include "puregas/ZeroDensityTerm.h"

namespace vornex {

void ZeroDensityTerm::makeLimitRoot(const std::vector<Expression*>& nodes,
                                    std::vector<double> coefficients, double constant) {
    coefficients_ = std::move(coefficients);
    constant_ = constant;
    makeRoot(nodes, std::vector<double>(nodes.size(), 0.0), 0.0);
}

void ZeroDensityTerm::calculate_fixed_parameters() {
    const bool fugacityMode = fugacityFlag != 0;
    const int n = static_cast<int>(coefficients_.size());
    for (int i = 0; i < n; ++i) sum_->set_scalar(i, fugacityMode ? coefficients_[i] : 0.0);
    sum_->set_scalar(n, fugacityMode ? constant_ : 0.0);
    ReducedTerm::calculate_fixed_parameters();
}

}  // namespace vornex

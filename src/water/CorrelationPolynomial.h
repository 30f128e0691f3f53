// Evaluation of the power series the water correlations are written in.
#pragma once

#include <cstddef>

namespace vornex::water {

// c[0] + c[1] x + c[2] x^2 + ... (Horner's scheme).
template <std::size_t N>
constexpr double polynomial(double x, const double (&c)[N]) {
    double sum = c[N - 1];
    for (std::size_t i = N - 1; i-- > 0;) sum = sum * x + c[i];
    return sum;
}

}  // namespace vornex::water

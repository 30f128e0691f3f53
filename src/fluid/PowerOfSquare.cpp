#include "fluid/PowerOfSquare.h"

#include <cmath>

namespace vornex {

bool PowerOfSquare::outer(double x, int order, double* f) {
    Power::outer(x, order, f);
    if (x == 0.0) {
        // Only f'(0) u_ij (u_ijk, u_ijkl) and f''(0) u_ij u_kl survive where u has its
        // minimum; the infinite outer derivatives meet a vanishing first derivative of u.
        for (int k = 1; k <= order; ++k)
            if (!std::isfinite(f[k])) f[k] = 0.0;
    }
    return true;
}

}  // namespace vornex

// A propane / n-butane mixture under Raoult's law with the reference answers computed
// independently: saturation pressures from the same Antoine constants, the Rachford-Rice
// equation solved by plain bisection.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "fluid/PsatCorr.h"
#include "numerics/TextCapture.h"
#include "vle/IdealMixture.h"

namespace vornex::testing {

// Antoine constants (log10 mmHg, degrees Celsius) of the components, as tabulated.
inline double antoinePsat(double A, double B, double C, double T) {
    Antoine a;
    a.set_constants(A, B, C);
    return a.Psat(T);
}
inline double psatC3(double T) {
    return antoinePsat(6.84343, 818.54, 248.677, T);
}
inline double psatNC4(double T) {
    return antoinePsat(6.80896, 935.86, 238.73, T);
}

// Root of sum z_i (1 - K_i) / (1 - Fv + Fv K_i) on [0, 1] by bisection.
inline double rachfordRiceRoot(const std::vector<double>& z, const std::vector<double>& K) {
    auto f = [&](double Fv) {
        double s = 0.0;
        for (std::size_t i = 0; i < z.size(); i++)
            s += z[i] * (1.0 - K[i]) / (1.0 - Fv + Fv * K[i]);
        return s;
    };
    double a = 0.0, b = 1.0;
    for (int k = 0; k < 200; k++) {
        double m = 0.5 * (a + b);
        if ((f(a) > 0) == (f(m) > 0))
            a = m;
        else
            b = m;
    }
    return 0.5 * (a + b);
}

inline std::unique_ptr<IdealMixture> propaneButane(double z0) {
    auto mixture = std::make_unique<IdealMixture>();
    mixture->number_of_components(2);
    mixture->add_components("C3", "nC4");
    mixture->bulk_composition(z0, 1.0 - z0);
    return mixture;
}

}  // namespace vornex::testing

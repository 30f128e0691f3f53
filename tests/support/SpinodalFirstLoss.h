// Every row of a pure model's spinodal curve is the first loss of stability of its
// isotherm: from the saturated liquid expanding (liquid branch) or the saturated vapour
// compressed (vapour branch), the isotherm falls at every volume up to the row's, which is
// a zero of dP/dV with a rising isotherm just past it (to 1e-9 of the volume). The equation's loops inside the
// two-phase region hold other zeros of dP/dV, which are no spinodal of the fluid.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

struct SpinodalRows {
    CurveArray rows;
    int error = 0;
    std::size_t count() const { return rows.size() / 12; }
    double T(std::size_t r) const { return rows[12 * r]; }
    double Pbar(std::size_t r) const { return rows[12 * r + 1]; }
    double Vcm3(std::size_t r) const { return rows[12 * r + 2]; }
};

inline SpinodalRows traceSpinodalCurve(FluidPhase& model, char branch, double Tmin) {
    SpinodalRows s;
    model.calculateSpinodalCurve("unused", model.Tcrit, model.Vcrit, branch, Tmin, 6, "s",
                                 &s.rows);
    s.error = model.error;
    return s;
}

// dP/dV (Pa mol/m3) of the model at (T, V).
inline double isothermSlope(FluidPhase& model, double TK, double Vm3) {
    model.calculateFromTV(TK, Vm3, 0);
    return model.dPdV;
}

// Checks every `stride`-th row after the critical one.
inline void expectRowsAreFirstLossOfStability(FluidPhase& model, const SpinodalRows& s,
                                              bool liquid, std::size_t stride) {
    for (std::size_t r = 1; r < s.count(); r += stride) {
        const double TK = s.T(r), V = s.Vcm3(r) * 1e-6;
        model.calculateTheSaturationPressure(TK);
        ASSERT_EQ(model.error, 0) << TK;
        const double from = liquid ? model.Vl : model.Vv;
        constexpr int kSteps = 600;
        for (int k = 0; k < kSteps; ++k) {
            const double Vk = from * std::pow(V / from, k / double(kSteps));
            ASSERT_LT(isothermSlope(model, TK, Vk), 0.0)
                << TK << " K: rising at " << Vk * 1e6 << " cm3/mol before the row's "
                << V * 1e6;
        }
        // dP/dV changes sign at the row's volume (some equations' loops peak so sharply
        // that the slope there is a large number times the rounding of the volume).
        const double stable = liquid ? V * (1.0 - 1e-9) : V * (1.0 + 1e-9);
        const double past = liquid ? V * (1.0 + 1e-9) : V * (1.0 - 1e-9);
        EXPECT_LT(isothermSlope(model, TK, stable), 0.0) << TK;
        EXPECT_GT(isothermSlope(model, TK, past), 0.0) << TK;
    }
}

}  // namespace vornex::testing_support

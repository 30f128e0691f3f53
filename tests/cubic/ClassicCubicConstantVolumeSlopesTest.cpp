// The closed-form cubics' derivatives at constant volume, (dZ/dT)_V, (dZ/dx)_T,V and
// (dP/dT)_V, against central differences, and what rests on them: the Joule point (where
// (dZ/dT)_V vanishes) and the temperature from pressure and volume.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/CriticalInterpolation.h"

namespace vornex {
namespace {

struct AtTV {
    double Z, P;
};

AtTV evaluate(ClassicalCubic& f, double TK, double Vm3, const std::vector<double>& x) {
    f.composition(x.data());
    f.temperature(TK);
    f.volume(Vm3);
    f.calculate_pressure();
    return {f.Z, f.P};
}

// Regression: dZdT and dZdx stayed 0 in every closed-form cubic (the central difference of
// PR methane at 300 K and 1000 cm3/mol is 3.98e-4 1/K).
TEST(ClassicCubicSlopes, ConstantVolumeDerivativesMatchDifferences) {
    std::vector<std::unique_ptr<ClassicalCubic>> fluids;
    auto pair = [&](ClassicalCubic* f, const char* a, const char* b) {
        f->number_of_components(2);
        f->add_components(a, b);
        fluids.emplace_back(f);
    };
    pair(new ClassicalSRK(1), "CH4", "CO2");
    pair(new ClassicalCubic0(kPengRobinson, 1), "CH4", "nC4");
    pair(new ClassicalCubic01(kPengRobinson, 1), "CH4", "C3");
    pair(new CriticalInterpolationSRK(1), "CH4", "CO2");
    auto* montel = new Montel(1);
    fluids.emplace_back(montel);
    // A translation that moves with temperature enters (dP/dT)_V.
    montel->set_translation(3, -2e-6, 1e-9);
    for (auto& f : fluids) {
        SCOPED_TRACE(f->modelName);
        const int n = f->nc;
        std::vector<double> x(static_cast<size_t>(n), 0.0);
        x[0] = 0.3;
        x[static_cast<size_t>(n > 2 ? 3 : 1)] += 0.7;
        for (double V : {1e-3, 1.5e-4}) {
            const double T = 320.0;
            evaluate(*f, T, V, x);
            ASSERT_EQ(f->error, 0);
            const double dZdT = f->dZdT, dPdT = f->dPdT;
            const std::vector<double> dZdx = f->dZdx;
            const double hT = 1e-3;
            const AtTV up = evaluate(*f, T + hT, V, x), down = evaluate(*f, T - hT, V, x);
            const double fdZ = (up.Z - down.Z) / (2 * hT), fdP = (up.P - down.P) / (2 * hT);
            EXPECT_NEAR(dZdT, fdZ, 1e-6 * std::fabs(fdZ) + 1e-12) << V;
            EXPECT_NEAR(dPdT, fdP, 1e-6 * std::fabs(fdP)) << V;
            EXPECT_NE(dZdT, 0.0);
            for (int i = 0; i < n; ++i) {
                if (x[static_cast<size_t>(i)] == 0.0) continue;
                const double hx = 1e-6;
                std::vector<double> xp = x, xm = x;
                xp[static_cast<size_t>(i)] += hx;
                xm[static_cast<size_t>(i)] -= hx;
                const double Zp = evaluate(*f, T, V, xp).Z, Zm = evaluate(*f, T, V, xm).Z;
                const double fd = (Zp - Zm) / (2 * hx);
                EXPECT_NEAR(dZdx[static_cast<size_t>(i)], fd, 1e-5 * std::fabs(fd) + 1e-9)
                    << "x" << i << " " << V;
            }
        }
    }
}

// Regression: with (dZ/dT)_V left 0 the Joule point took its start volume for the root (PR
// and SRK methane, 300 to 600 K: 1000 cm3/mol, error 0), where (dZ/dT)_V > 0 at every
// volume and no Joule point exists; and the temperature from P and V never converged.
TEST(ClassicCubicSlopes, JoulePointAndTemperatureFromPressureAndVolume) {
    ClassicalSRK srk(1);
    srk.number_of_components(1);
    srk.add_component("CH4");
    ClassicalCubic0 pr(kPengRobinson, 1);
    pr.number_of_components(1);
    pr.add_component("CH4");
    for (ClassicalCubic* f : {static_cast<ClassicalCubic*>(&srk), static_cast<ClassicalCubic*>(&pr)}) {
        SCOPED_TRACE(f->modelName);
        for (double T : {300.0, 450.0, 600.0}) {
            f->calculateJoulePoint(T, 1e-3);
            EXPECT_EQ(f->error, 1) << T << " K: V " << f->V;
        }
        // T from (V, P) is the temperature the pressure came from.
        f->temperature(350.0);
        f->volume(2e-4);
        f->calculate_pressure();
        const double Pbar = f->P * 1e-5;
        f->temperature(300.0);
        f->calculateFromVP(2e-4, Pbar, 0);
        EXPECT_EQ(f->error, 0);
        EXPECT_NEAR(f->T, 350.0, 1e-6);
    }
}

}  // namespace
}  // namespace vornex

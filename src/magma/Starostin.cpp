#include "magma/Starostin.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>

#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"

namespace vornex {

Starostin::Starostin()
    : P(N, 0.0), u(N, 0.01), rho(N, 0.0), z(N, 0.0), A(N, 0.0), B(N, 0.0), G(N, 0.0) {
    setInitialState();
}

void Starostin::setInitialState() {
    t = 0.0;
    for (int i = 0; i < N; ++i) {
        z[i] = i * dz;
        u[i] = 0.01;
        rho[i] = z[i] < L / 2 ? 2200.0 : 100.0;
    }
    P[N - 1] = 0.0;
    for (int i = N - 2; i >= 0; --i) P[i] = P[i + 1] + rho[i] * g * dz;
}

bool Starostin::calculateProfile() {
    const int n = N - 1;
    for (int i = 0; i < n; ++i) {
        A[i] = (rho[i + 1] * u[i + 1] - rho[i] * u[i]) / dz;
        B[i] = (rho[i + 1] * u[i + 1] * u[i + 1] - rho[i] * u[i] * u[i]) / dz;
        G[i] = (P[i + 1] - P[i]) / dz;
    }
    const std::vector<double> rhoBefore = rho, uBefore = u;
    for (int i = 1; i < n; ++i) {
        rho[i] -= dt * A[i];
        u[i] += dt * (-g * rho[i] - B[i] - G[i] + u[i] * A[i]) / rho[i];
    }
    for (int i = 1; i < n; ++i) {
        if (rho[i] > 0.0 && std::isfinite(rho[i]) && std::isfinite(u[i])) continue;
        vornex::cfprintf(stderr,
                     "Conduit profile: the step from t = %g s to %g s gives a density of %g "
                     "kg/m3 (velocity %g m/s) at z = %g m: no physical state; stopped, the "
                     "column left at t = %g s\n",
                     t, t + dt, rho[i], u[i], z[i], t);
        rho = rhoBefore;
        u = uBefore;
        return false;
    }
    t += dt;
    CurveOutput out(kIgorText);
    if (!out.open("profile")) return false;
    for (int i = 0; i < n; ++i)
        out.print("%12lf %12lf %12lf %12lf\n", z[i], rho[i], 1e-5 * P[i], u[i]);
    return out.close();
}

bool Starostin::calculateEvolution() {
    // From t = 0 with the column of t = 0: the time and the column stay one state.
    setInitialState();
    for (int k = 0; k < 10; ++k) {
        if (!calculateProfile()) return false;
        vornex::cprintf("t %5.2lf\n", t);
    }
    // Density, pressure and velocity of the last profile against height.
    CurveOutput script(kIgorText);
    if (!script.open("sta")) return false;
    script.print(
        "set multiplot layout 1,3\nset ylabel \"z (m)\"\n"
        "set xlabel \"rho (kg/m3)\"\nplot \"profile\" using 2:1 with lines notitle\n"
        "set xlabel \"P (bar)\"\nplot \"profile\" using 3:1 with lines notitle\n"
        "set xlabel \"u (m/s)\"\nplot \"profile\" using 4:1 with lines notitle\n"
        "unset multiplot\n");
    if (!script.close()) return false;
    OutputFiles::plot("sta");
    return true;
}

}  // namespace vornex

#include "puregas/GasComparison.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <limits>
#include <vector>

namespace vornex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr double kGridTemperatures[] = {0, 100, 200, 300, 400, 500, 600, 800, 1000, 1200};  // °C

// 1, 20, 50, 100 ... 1000 by 100, 1200 ... 5000 by 200, 5500 ... 10000 by 500 bar.
std::vector<double> gridPressures() {
    std::vector<double> p = {1.0, 20.0, 50.0};
    for (int k = 100; k <= 1000; k += 100) p.push_back(k);
    for (int k = 1200; k <= 5000; k += 200) p.push_back(k);
    for (int k = 5500; k <= 10000; k += 500) p.push_back(k);
    return p;
}

// Volume, fugacities and state functions at the set T and P; false when the volume failed.
bool solveState(FluidPhase& f, double TK) {
    f.temperature(TK);
    f.calculate_molar_volume();
    if (f.error != 0) return false;
    f.calculate_fugacities();
    f.calculate_state_functions();
    return f.error == 0 && std::isfinite(f.V) && std::isfinite(f.fugacityCoefficient[0]);
}

double percent(double value, double reference) {
    return 100.0 * (value - reference) / reference;
}

}  // namespace

double printVolumeDeviations(FluidPhase& model, const char* temperatureLabel,
                             std::span<const VolumeReference> states, std::FILE* out) {
    double sum = 0.0;
    int solved = 0;
    for (const VolumeReference& s : states) {
        model.temperature(s.TK);
        model.pressure(s.Pbar);
        model.calculate_molar_volume();
        const bool ok = model.error == 0 && std::isfinite(model.V);
        const double Vcalc = ok ? 1e6 * model.V : kNaN;
        const double Vexp = 1e6 * s.Vm3;
        const double dev = ok ? percent(Vcalc, Vexp) : kNaN;
        vornex::cfprintf(out, "%s %12lg\tP %12lg\tVcalc %12lg\tVexp %12lg\tDev(%%) %12lg\n",
                     temperatureLabel, model.T - 273.15, 1e-5 * model.P, Vcalc, Vexp, dev);
        if (ok) {
            sum += std::fabs(dev);
            ++solved;
        }
    }
    const double aadp = solved > 0 ? sum / solved : kNaN;
    vornex::cfprintf(out, "AADP %lg\n", aadp);
    return aadp;
}

int printModelGrid(FluidPhase& model, FluidPhase& other, bool volumeColumn, std::FILE* out) {
    vornex::cfprintf(out, "P(bar)\\ T(°C)");
    for (double t : kGridTemperatures) vornex::cfprintf(out, "%12lg ", t);
    vornex::cfprintf(out, "\n");
    int failed = 0;
    for (double Pbar : gridPressures()) {
        vornex::cfprintf(out, "%12lg ", Pbar);
        other.pressure(Pbar);
        model.pressure(Pbar);
        for (double t : kGridTemperatures) {
            const bool otherOk = solveState(other, 273.15 + t);
            const bool ok = solveState(model, 273.15 + t) && otherOk;
            if (!ok) ++failed;
            if (volumeColumn) vornex::cfprintf(out, "%12lg ", ok ? percent(other.V, model.V) : kNaN);
            vornex::cfprintf(out, "%12lg ",
                         ok ? percent(other.fugacityCoefficient[0], model.fugacityCoefficient[0])
                            : kNaN);
        }
        vornex::cfprintf(out, "\n");
    }
    return failed;
}

}  // namespace vornex

#include "vle/IdealMixture.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fluid/ComponentFile.h"

namespace vornex {

namespace {

// Vapour-pressure correlation of a component name; null for a name not in the table.
// Clapeyron constants: Tc (K), Pc (Pa), normal boiling point Tb (K) at Pb (Pa).
// Antoine constants: log10(P / mmHg) = A - B / (t + C), t in degrees Celsius.
std::unique_ptr<PsatCorr> correlationOf(const char* name) {
    auto is = [name](const char* a, const char* b = nullptr) {
        return std::strcmp(name, a) == 0 || (b != nullptr && std::strcmp(name, b) == 0);
    };
    auto clapeyron = [](double Tc, double Pc, double Tb, double Pb) {
        auto c = std::make_unique<Clapeyron>();
        c->set_constants(Tc, Pc, Tb, Pb);
        return std::unique_ptr<PsatCorr>(std::move(c));
    };
    auto antoine = [](double A, double B, double C) {
        auto c = std::make_unique<Antoine>();
        c->set_constants(A, B, C);
        return std::unique_ptr<PsatCorr>(std::move(c));
    };
    if (is("CO2")) return clapeyron(304.21, 7382500.0, 185.0, 101325.0);
    if (is("CH4", "C1")) return clapeyron(190.55, 4595500.0, 116.65, 101325.0);
    if (is("N2")) return clapeyron(126.2, 3390000.0, 75.0, 101325.0);
    if (is("H2S")) return antoine(7.63353, 921.83, 255.46);
    if (is("C2H6", "C2")) return antoine(6.80266, 656.4, 256.0);
    if (is("C3H8", "C3")) return antoine(6.84343, 818.54, 248.677);
    if (is("iC4H10", "iC4")) return antoine(7.5162, 1324.67, 297.693);
    if (is("nC4H10", "nC4")) return antoine(6.80896, 935.86, 238.73);
    // Any other component by the Antoine constants of its component file (water's among them).
    ComponentFile file(std::string("compo/") + name);
    std::string token;
    while (file.isOpen() && file.nextToken(token)) {
        double A, B, C;
        if (token == "Antoine" && file.nextNumber(A) && file.nextNumber(B) && file.nextNumber(C))
            return antoine(A, B, C);
    }
    return nullptr;
}

// Wilson's estimate from the critical point and the acentric factor:
// ln(Psat / Pc) = 5.373 (1 + omega)(1 - Tc / T), exact at the critical point and at
// Tr = 0.7 for the acentric factor's definition.
class WilsonPsat : public PsatCorr {
   public:
    WilsonPsat(double Tc, double Pc, double omega)
        : Tc_(Tc), Pc_(Pc), slope_(5.373 * (1.0 + omega)) {
        correlationName = "Wilson";
    }
    double Psat(double T) override {
        if (!(T > 0.0)) return 0.0;
        return Pc_ * std::exp(std::clamp(slope_ * (1.0 - Tc_ / T), -700.0, 700.0));
    }
    double Tsat(double P) override {
        if (!(P > 0.0)) return 0.0;
        // The estimate's ln P is bounded above by ln Pc + slope (at infinite T).
        const double d = 1.0 - std::log(P / Pc_) / slope_;
        return d > 1e-6 ? Tc_ / d : Tc_ * 1e6;
    }

   private:
    double Tc_, Pc_, slope_;
};

}  // namespace

std::unique_ptr<PsatCorr> IdealMixture::estimateFromModel(int i) {
    if (!firstPhase) return nullptr;
    double Tc = 0.0, Pc = 0.0, omega = 0.0;
    if (firstPhase->componentCriticalConstants(i, Tc, Pc, omega))
        return std::make_unique<WilsonPsat>(Tc, Pc, omega);
    // A model with only an estimate of the component's critical point: its pressure from a
    // simple fluid's critical compressibility, the acentric factor of a simple fluid.
    double Vc = 0.0;
    if (firstPhase->componentCriticalEstimate(i, Tc, Vc) && Tc > 0.0 && Vc > 0.0 &&
        std::isfinite(Tc) && std::isfinite(Vc))
        return std::make_unique<WilsonPsat>(Tc, 0.29 * kGasConstant * Tc / Vc, 0.0);
    return nullptr;
}

IdealMixture::IdealMixture() {
    reset_to_zero();
}

IdealMixture::IdealMixture(FluidPhase& a, FluidPhase& b) : VLE(a, b) {
    // The VLE constructor's reset ran before this class existed; its own part starts here,
    // keeping the phases the base just assigned.
    FluidPhase* first = firstPhase;
    FluidPhase* second = secondPhase;
    int16_t pairStatus = status;
    int16_t ll = liquidLiquid;
    double Vl = trial.Vl, Vv = trial.Vv;
    reset_to_zero();
    firstPhase = first;
    secondPhase = second;
    status = pairStatus;
    liquidLiquid = ll;
    trial.Vl = last.Vl = Vl;
    trial.Vv = last.Vv = Vv;
}

IdealMixture::~IdealMixture() = default;

void IdealMixture::reset_to_zero() {
    VLE::reset_to_zero();
    solver = std::make_unique<Muller>();
    solver->itermax = 60;
    solver->tolerance = 1e-9;
    solver->xmin = -1e15;
    solver->xmax = 1e15;
    correlations.clear();
    K.clear();
    work1.clear();
    work2.clear();
    work3.clear();
}

void IdealMixture::number_of_components(int count) {
    VLE::number_of_components(count);
    if (n < 1) return;
    auto size = static_cast<std::size_t>(n);
    correlations.clear();
    correlations.resize(size);
    K.assign(size, 0.0);
    work1.assign(size, 0.0);
    work2.assign(size, 0.0);
    work3.assign(size, 0.0);
}

void IdealMixture::read_component_data(int index, const char* name) {
    if (!validComponent(index, "read_component_data") || name == nullptr) return;
    if (correlations.size() != static_cast<std::size_t>(n))
        correlations.resize(static_cast<std::size_t>(n));
    correlations[static_cast<std::size_t>(index)] = correlationOf(name);
    // A component named in no table starts from the model's corresponding states.
    if (!correlations[static_cast<std::size_t>(index)])
        correlations[static_cast<std::size_t>(index)] = estimateFromModel(index);
}

double IdealMixture::Psat(int i, double T) {
    if (i < 0 || i >= static_cast<int>(correlations.size())) return 0.0;
    auto* c = correlations[static_cast<std::size_t>(i)].get();
    return c ? c->Psat(T) : 0.0;
}

double IdealMixture::Tsat(int i, double P) {
    if (i < 0 || i >= static_cast<int>(correlations.size())) return 0.0;
    auto* c = correlations[static_cast<std::size_t>(i)].get();
    return c ? c->Tsat(P) : 0.0;
}

bool IdealMixture::correlationsComplete() {
    bool complete = n > 0 && correlations.size() == static_cast<std::size_t>(n);
    for (int i = 0; complete && i < n; i++) {
        auto& c = correlations[static_cast<std::size_t>(i)];
        // The model may have received its data after the component was named here.
        if (!c) c = estimateFromModel(i);
        if (!c) {
            vornex::cfprintf(stderr, "No vapour-pressure correlation for component %s\n",
                         names[static_cast<std::size_t>(i)].c_str());
            complete = false;
        }
    }
    if (n == 0 || correlations.size() != static_cast<std::size_t>(n))
        vornex::cfprintf(stderr, "No components defined for Raoult's law\n");
    if (!complete) status = 2;
    return complete;
}

// ------------------------------------------------------------------ residuals

double IdealMixture::rachfordRice(double Fv) {
    double sum = 0.0;
    for (std::size_t i = 0; i < K.size(); i++) {
        double xi = z[i] / (1.0 - Fv + Fv * K[i]);
        current.x[i] = xi;
        current.y[i] = K[i] * xi;
        sum += current.x[i] - current.y[i];
    }
    return sum;
}

double IdealMixture::equation1(double Fv, void*) {
    return rachfordRice(Fv);
}

double IdealMixture::equation2(double P, void*) {
    if (P <= 0.0) {
        equationError = 1;
        return 0.0;
    }
    for (int i = 0; i < n; i++) K[static_cast<std::size_t>(i)] = Psat(i, spec.T) / P;
    return rachfordRice(spec.nV);
}

double IdealMixture::equation3(double T, void*) {
    if (T <= 0.0 || spec.P <= 0.0) {
        equationError = 1;
        return 0.0;
    }
    for (int i = 0; i < n; i++) K[static_cast<std::size_t>(i)] = Psat(i, T) / spec.P;
    return rachfordRice(spec.nV);
}

bool IdealMixture::solveOn(double (IdealMixture::*residual)(double, void*), double a, double b,
                           double tolerance, double& root) {
    solver->equation = this;
    solver->function = static_cast<EquationFunction>(residual);
    solver->context = nullptr;
    solver->itermax = 50;
    solver->tolerance = tolerance;
    solver->bounded = 0;
    solver->iterations = 0;
    solver->error = 0;
    solver->x0 = a;
    solver->x1 = b;
    root = solver->solve();
    return solver->error == 0;
}

// --------------------------------------------------------------------- solves

void IdealMixture::calculate_with_fixed_P_and_T() {
    if (!correlationsComplete()) return;
    if (spec.P <= 0.0 || spec.T <= 0.0) {
        status = 1;
        vornex::cfprintf(stderr, "Raoult flash at T %lg K, P %lg bar: no state\n", spec.T,
                     spec.P / 100000.0);
        return;
    }
    for (int i = 0; i < n; i++) K[static_cast<std::size_t>(i)] = Psat(i, spec.T) / spec.P;
    double Fv = 0.0;
    if (!solveOn(&IdealMixture::equation1, 0.0, 1.0, 0.001, Fv) &&
        !solveOn(&IdealMixture::equation1, 0.0, 0.1, 0.001, Fv))
        status = 1;
    current.nV = N * Fv;
    current.nL = N - current.nV;
    current.Fv = current.nV / N;
}

void IdealMixture::calculate_with_fixed_T_and_Fv() {
    if (!correlationsComplete()) return;
    double lower = 1e10, upper = 0.0;
    for (int i = 0; i < n; i++) {
        double p = Psat(i, spec.T);
        if (p > 1e-50 && p < lower) lower = p;
        if (p > upper) upper = p;
    }
    for (int attempt = 0; attempt < 10; attempt++) {
        status = 0;
        double root = 0.0;
        bool ok = solveOn(&IdealMixture::equation2, lower, upper, 1e-6, root);
        current.P = root;
        lower *= 0.9;
        upper *= 1.1;
        if (ok) break;
        status = 1;
    }
}

void IdealMixture::calculate_with_fixed_P_and_Fv() {
    if (!correlationsComplete()) return;
    double lower = 1e10, upper = 0.0;
    for (int i = 0; i < n; i++) {
        double t = Tsat(i, spec.P);
        if (t < lower) lower = t;
        if (t > upper) upper = t;
    }
    for (int attempt = 0; attempt < 10; attempt++) {
        status = 0;
        double root = 0.0;
        bool ok = solveOn(&IdealMixture::equation3, lower, upper, 0.001, root);
        current.T = root;
        lower *= 0.9;
        upper *= 1.1;
        if (ok) break;
        status = 1;
    }
}

void IdealMixture::calculateVLE() {
    // A solve reports its own outcome, not that of the one before.
    status = 0;
    VLE::initialize();
    switch (type) {
        case 12:
        case 21:
            calculate_with_fixed_P_and_T();
            break;
        case 13:
        case 31:
            calculate_with_fixed_T_and_Fv();
            break;
        case 15:
        case 51: {
            double phi = spec.phi;
            spec.nV = phi / ((1.0 - phi) * 10.0 + phi);
            calculate_with_fixed_T_and_Fv();
            break;
        }
        case 23:
        case 25:
        case 32:
        case 52:
            calculate_with_fixed_P_and_Fv();
            break;
        case 14:
        case 24:
        case 41:
        case 42:
            break;
        default:
            status = 2;
            vornex::cfprintf(stderr, "Type of problem not defined\n");
            return;
    }
    // A failed solve must not overwrite the last converged point that a retry steps from.
    if (status == 0) VLE::estimate_next_state();
}

}  // namespace vornex

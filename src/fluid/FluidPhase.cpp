#include "fluid/FluidPhase.h"

#include <cmath>
#include <cstdio>

#include "expression/Expression.h"
#include "fluid/VenturiInteraction.h"

namespace vornex {

// ------------------------------------------------------------------ construction

FluidPhase::FluidPhase(int nTerms, int selector, char extra) {
    phase = selector;
    volumeSolver = std::make_unique<NewtonRaphson>();
    bindVolumeSolver(&FluidPhase::equationForCalculating_V_FromTP);
    volumeSolver->itermax = 100;
    volumeSolver->bounded = 1;
    volumeSolver->xmin = 1e-7;
    volumeSolver->xmax = 1e6;
    volumeSolver->verbose = 0;
    volumeSolver->tolerance = 1e-15;

    systemSolver = std::make_unique<Newton>();
    systemSolver->_setSysEquationToSolve(
        this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingCriticalPoint1), 2);

    extraTerm = extra;
    if (nTerms != 0) createInteractions(nTerms);
    Tlowest = 80.0;
    Vsep = -1.0;
}

FluidPhase::~FluidPhase() {
    purge();
}

void FluidPhase::createInteractions(int n) {
    for (Interaction* term : interaction) delete term;
    interaction.assign(static_cast<size_t>(std::max(n, 0)), nullptr);
    if (extraTerm) interaction.push_back(new VenturiInteraction());
}

bool FluidPhase::setInteraction(int index, Interaction* term) {
    const int slots = numberOfInteractions() - (extraTerm ? 1 : 0);
    if (index < 0 || index >= slots) {
        std::fprintf(stderr, "You have specified a false interaction index (%d)...\n", index);
        return false;
    }
    auto& slot = interaction[static_cast<size_t>(index)];
    if (slot != term) delete slot;
    slot = term;
    return true;
}

void FluidPhase::setIdealTerm(Interaction* term) {
    if (ideal != term) delete ideal;
    ideal = term;
}

void FluidPhase::purge() {
    volumeSolver.reset();
    systemSolver.reset();
    for (Interaction* term : interaction) delete term;
    interaction.clear();
    delete ideal;
    ideal = nullptr;
    for (auto* v : {&mur, &work1, &work2, &work3, &work4, &dphidT, &dphidP, &dphidV, &dmudT, &dmudV,
                    &dmudP, &dVdx, &dZdx, &dPdx, &xLiquid, &yVapour, &xp, &zFeed})
        v->clear();
    for (auto* m : {&workMatrix, &dphidx, &dmudx}) m->clear();
}

// Every term that takes part in an evaluation: the residual terms in order, then the
// ideal-gas term. Empty slots (a model still building itself) are skipped.
template <class F>
static void forEachTerm(FluidPhase& fluid, F&& f) {
    for (Interaction* term : fluid.interaction)
        if (term) f(*term);
    if (fluid.ideal) f(*fluid.ideal);
}

void FluidPhase::createPerComponentArrays() {
    const auto n = static_cast<size_t>(nc);
    for (auto* v : {&mur, &work1, &work2, &work3, &work4, &dphidT, &dphidP, &dphidV, &dmudT, &dmudV,
                    &dmudP, &dVdx, &dZdx, &dPdx, &xLiquid, &yVapour, &xp, &zFeed})
        v->assign(n, 0.0);
    for (auto* m : {&workMatrix, &dphidx, &dmudx}) m->assign(n, std::vector<double>(n, 0.0));
}

void FluidPhase::number_of_components(int count) {
    if (count < 1 || count == nc) return;
    // A model that switches its component system starts the Phase part afresh, so that the
    // fluid, its terms and its arrays always agree on the count.
    nc = 0;
    componentsAdded = 0;
    Phase::number_of_components(count);
    createPerComponentArrays();
    forEachTerm(*this, [count](Interaction& term) { term.number_of_components(count); });
    if (count == 1) composition_of_component(0, 1.0);
}

void FluidPhase::temperature(double TK) {
    T = TK;
    stateComputed = 0;
    forEachTerm(*this, [TK](Interaction& term) {
        term.T = TK;
        term.parametersCurrent = 0;
    });
}

void FluidPhase::volume(double Vm3) {
    V = Vm3;
    stateComputed = 0;
    forEachTerm(*this, [Vm3](Interaction& term) {
        term.V = Vm3;
        term.parametersCurrent = 0;
    });
}

void FluidPhase::composition_of_component(int i, double xi) {
    Phase::composition_of_component(i, xi);
    if (i < 0 || i >= nc) return;
    forEachTerm(*this, [i, xi](Interaction& term) {
        if (i < term.nc) term.x[static_cast<size_t>(i)] = xi;
    });
}

void FluidPhase::calculate_fixed_parameters() {
    forEachTerm(*this, [](Interaction& term) { term.calculate_fixed_parameters(); });
}

// -------------------------------------------------------------- trivial virtuals

double FluidPhase::estimate_Vl0() {
    return Vl0;
}

int FluidPhase::isInstable(double, double) {
    return 0;
}

void FluidPhase::calculate_the_pseudo_critical_point(double& Tpc, double& Ppc, double& Vpc) {
    Tpc = Ppc = Vpc = 0.0;
}

void FluidPhase::correct_BIP(double) {}
void FluidPhase::calculate_corrected_BIP(double) {}

void FluidPhase::calculateParachor(double, double) {
    parachor = 0.0;
}

double FluidPhase::calculateSigma(double Vliquid, double Vvapour) {
    calculateParachor(Vliquid, Vvapour);
    sigma = parachor == 0.0 ? 0.0 : std::pow(parachor * M * (1.0 / Vliquid - 1.0 / Vvapour), 4);
    return sigma;
}

void FluidPhase::initializeFlash2(double, double) {}
void FluidPhase::initializeBubblePoint2(double, double) {}
void FluidPhase::calculateTheTernaryDiagram(double, double, const char*) {}
void FluidPhase::calculateTheCriticalCurve(const char*) {}
void FluidPhase::calculateTheIsopleth2(const char*, double, double, double) {}
void FluidPhase::calculateTheIsopleth3(const char*, double, double, double, double) {}
void FluidPhase::calculateTheLiquidLiquidIsopleth3(const char*, double, double, double, double) {}

int FluidPhase::doCommandEx(int, char* const*) {
    return 0;
}

void FluidPhase::describe() {
    calculate_molar_volume();
    if (error == 0) calculate_fugacities();
}

// ------------------------------------------------------------------------ states

void FluidPhase::calculateFromTP(double TK, double Pbar, char print) {
    temperature(TK);
    pressure(Pbar);
    calculate_molar_volume();
    calculate_fugacities();
    calculate_state_functions();
    if (print) dump();
}

void FluidPhase::calculateFromTV(double TK, double Vm3, char print) {
    temperature(TK);
    volume(Vm3);
    completeState(print);
}

void FluidPhase::calculateFromVP(double Vm3, double Pbar, char print) {
    volume(Vm3);
    pressure(Pbar);
    calculate_temperature();
    completeState(print);
}

void FluidPhase::completeState(char print) {
    calculate_state_functions();
    calculate_fugacities();
    if (print) dump();
}

// ------------------------------------------------------------------- P(T, V)

double FluidPhase::calculate_pressure() {
    calculate_fixed_parameters();
    Z = 0.0;
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term) {
        term.calculate_Z();
        if (term.error) failed = true;
        Z += term.Z;
    });
    if (failed) error = 1;
    if (!interaction.empty() && interaction[0] && interaction[0]->getVolumeMinimum() >= V) {
        // At or below the co-volume there is no fluid, hence no pressure.
        Z = 0.0;
        P = 0.0;
    } else {
        P = kGasConstant * Z * T / V;
    }
    return P;
}

// ------------------------------------------------------------------- V(T, P)

void FluidPhase::equationForCalculating_V_FromTP(double Vm3, double& f, double& df) {
    volume(Vm3);
    Z = dZdV = dPdV = 0.0;
    double sumaVV = 0.0;
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term) {
        if (failed) return;
        term.calculate_Z();
        if (term.error) {
            failed = true;
            return;
        }
        Z += term.Z;
        dZdV += term.dZdV;
        sumaVV += term.d2aVV;
    });
    if (failed) {
        equationError = 1;
        return;
    }
    const double RT = kGasConstant * T;
    f = RT * Z / Vm3 - P;
    df = RT * (dZdV / Vm3 - Z / (Vm3 * Vm3));
    dPdV = -RT * sumaVV;
    // A mechanically unstable volume is no solution of a volume search.
    if (dPdV > 0.0) equationError = 1;
}

void FluidPhase::finishVolumeSolve() {
    dPdV = (dZdV - Z / V) * kGasConstant * T / V;
    dZdP = dPdV != 0.0 ? dZdV / dPdV : 0.0;
}

bool FluidPhase::solveVolumeFrom(double V0) {
    NewtonRaphson& s = *volumeSolver;
    s.x0 = V0;
    s.x1 = V0;
    const double root = s.solve();
    const bool converged = s.error == 0 && std::isfinite(root);
    if (converged) {
        // The state, Z and dZ/dV at the solution itself rather than at the last trial.
        double f = 0.0, df = 0.0;
        equationForCalculating_V_FromTP(root, f, df);
        equationError = 0;
    }
    finishVolumeSolve();
    return converged;
}

void FluidPhase::calculate_molar_volume() {
    error = 0;
    bindVolumeSolver(&FluidPhase::equationForCalculating_V_FromTP);
    calculate_fixed_parameters();

    const double RT = kGasConstant * T;
    double start = phase == 2 ? estimate_Vl0() : phase == 5 ? Vv0 : RT / P;
    bool ok = solveVolumeFrom(start);
    if (!ok) {
        if (phase == 1) {
            ok = solveVolumeFrom(Vv0) || solveVolumeFrom(4.5 * estimate_Vl0());
        } else if (phase == 2) {
            for (double retry : {1.7e-05, 1.8e-05, 2e-05, 2.2e-05})
                if ((ok = solveVolumeFrom(retry))) break;
        }
        // Every selector reports a search that found no volume, whether it retried or not.
        if (!ok) error = 1;
    }
    if (error != 0) return;
    const double P0 = kGasConstant * Z * T / V;
    if (std::fabs(P - P0) > 1e4) {
        volume(V - (P0 - P) / dPdV);
        std::printf("Stop here P0 %lg P %lf V %lg\n", P0, P, V);
    }
}

// ------------------------------------------------------------------- T(V, P)

void FluidPhase::equationForCalculating_T_FromVP(double TK, double& f, double& df) {
    temperature(TK);
    pressure(P / 1e5);
    calculate_fixed_parameters();
    Z = 0.0;
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term) {
        term.calculate_Z();
        if (term.error) failed = true;
        Z += term.Z;
    });
    if (!failed) {
        calculate_expansivity_derivative();
        forEachTerm(*this, [&](Interaction& term) { failed = failed || term.error != 0; });
    }
    if (failed) {
        equationError = 1;
        return;
    }
    f = TK * kGasConstant * Z / V - P;
    df = (TK * dZdT + Z) * kGasConstant / V;
}

void FluidPhase::calculate_temperature() {
    error = 0;
    NewtonRaphson& s = *volumeSolver;
    // The temperature solve borrows the volume solver; its binding and tolerance go back
    // afterwards so that later volume searches keep their own.
    const double savedTolerance = s.tolerance;
    bindVolumeSolver(&FluidPhase::equationForCalculating_T_FromVP);
    s.x0 = s.x1 = T;
    s.tolerance = 1e-10;
    const double root = s.solve();
    if (s.error != 0 || !std::isfinite(root)) {
        error = 1;
    } else {
        double f = 0.0, df = 0.0;
        equationForCalculating_T_FromVP(root, f, df);
        equationError = 0;
    }
    s.tolerance = savedTolerance;
    bindVolumeSolver(&FluidPhase::equationForCalculating_V_FromTP);
}

void FluidPhase::bindVolumeSolver(void (FluidPhase::*residual)(double, double&, double&)) {
    volumeSolver->equation = this;
    volumeSolver->function = static_cast<EquationFunctionWithDerivative>(residual);
}

// -------------------------------------------------------------------- printing

void FluidPhase::print_parameters(FILE* out) {
    forEachTerm(*this, [out](Interaction& term) { term.print_parameters(out); });
}

void FluidPhase::print_parse_tree(FILE* out) {
    for (int pass = 0; pass < 2; ++pass) {
        forEachTerm(*this, [out, pass](Interaction& term) {
            if (term.root == nullptr) return;
            std::fputs("\n\n\n========================================================\n", out);
            if (!term.modelName.empty()) {
                std::fprintf(out, "\t\t%s\n", term.modelName.c_str());
                std::fputs("========================================================\n\n", out);
            }
            term.root->initialize_the_graph();
            if (pass == 0) {
                term.root->check_pointers(out);
                term.root->printFormulas(out);
            } else {
                term.root->printValues(out);
            }
        });
    }
}

// --------------------------------------------------------------- A-table

double& FluidPhase::Aentry(int k) {
    static constexpr double FluidPhase::*members[Deriv::count] = {
        &FluidPhase::A,     &FluidPhase::Av,    &FluidPhase::Ax,    &FluidPhase::Axx,
        &FluidPhase::Avx,   &FluidPhase::Avv,   &FluidPhase::Axxx,  &FluidPhase::Avxx,
        &FluidPhase::Avvx,  &FluidPhase::Avvv,  &FluidPhase::Axxxx, &FluidPhase::Avxxx,
        &FluidPhase::Avvxx, &FluidPhase::Avvvx, &FluidPhase::Avvvv, &FluidPhase::AT,
        &FluidPhase::ATT,   &FluidPhase::ATv,   &FluidPhase::ATx,   &FluidPhase::ATvv,
        &FluidPhase::ATvx,  &FluidPhase::ATxx,  &FluidPhase::ATvvv, &FluidPhase::ATvvx,
        &FluidPhase::ATvxx, &FluidPhase::ATxxx, &FluidPhase::ATTv,  &FluidPhase::ATTvx,
        &FluidPhase::ATTvv, &FluidPhase::ATTxx};
    return this->*members[k < 0 || k >= Deriv::count ? 0 : k];
}

}  // namespace vornex

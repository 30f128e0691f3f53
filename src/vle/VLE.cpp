#include "vle/VLE.h"
#include "numerics/Decimal.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <string>

namespace vornex {

namespace {

bool typeIn(int t, std::initializer_list<int> types) {
    for (int u : types)
        if (t == u) return true;
    return false;
}

}  // namespace

VLE::VLE() {
    reset_to_zero();
}

VLE::VLE(FluidPhase* a, FluidPhase* b) {
    reset_to_zero();
    set_thermodynamic_models(a, b);
}

VLE::VLE(FluidPhase& a, FluidPhase& b) {
    reset_to_zero();
    set_thermodynamic_models(a, b);
}

VLE::~VLE() {
    if (history.isOpen()) history.commit();
}

bool VLE::validComponent(int i, const char* operation) const {
    if (i >= 0 && i < n) return true;
    vornex::cfprintf(stderr, "%s: component %d outside 0 .. %d\n", operation, i, n - 1);
    return false;
}

void VLE::historyPrint(const char* format, ...) {
    if (!historyFlag || !history.isOpen()) return;
    va_list args;
    va_start(args, format);
    vornex::vcfprintf(history.stream(), format, args);
    va_end(args);
}

// ------------------------------------------------------------------ set-up

void VLE::reset_to_zero() {
    firstPhase = secondPhase = nullptr;
    n = 0;
    added = 0;
    N = 1.0;
    names.clear();
    bulkAmount.clear();
    z.clear();
    spec = VLEImposedValues{};
    current = VLECurrentState{};
    trial = VLEPoint{};
    last = VLEPoint{};
    tangent = VLETangent{};
    stepFactor = 1.0;
    markedComponent = liquidLiquid = type = initFlag = status = printing = 0;
    historyFlag = stepCounter = estimationMode = checkFlag = 0;
    tracerInitFlag = 2;
    if (history.isOpen()) history.commit();
}

void VLE::set_thermodynamic_models(FluidPhase* a, FluidPhase* b) {
    if (a == nullptr || b == nullptr) {
        status = 6;
        vornex::cfprintf(stderr, "The definition of the phases is not correct.\n");
        return;
    }
    set_thermodynamic_models(*a, *b);
}

void VLE::set_thermodynamic_models(FluidPhase& a, FluidPhase& b) {
    if (a.phase == 2 && b.phase == 1) {
        firstPhase = &a;
        secondPhase = &b;
        liquidLiquid = 0;
    } else if (a.phase == 1 && b.phase == 2) {
        firstPhase = &b;
        secondPhase = &a;
        liquidLiquid = 0;
    } else if (a.phase == 2 && b.phase == 2) {
        firstPhase = &a;
        secondPhase = &b;
        liquidLiquid = 1;
    } else {
        status = 6;
        vornex::cfprintf(stderr, "The definition of the phases is not correct.\n");
        return;
    }
    trial.Vl = last.Vl = firstPhase->Vl0;
    trial.Vv = last.Vv = secondPhase->Vv0;
}

void VLE::number_of_components(int count) {
    if (count < 1) {
        vornex::cfprintf(stderr, "number_of_components: %d components\n", count);
        return;
    }
    n = count;
    // The components of a former count are named again.
    added = 0;
    auto size = static_cast<std::size_t>(n);
    bulkAmount.assign(size, 0.0);
    z.assign(size, 0.0);
    for (auto* v :
         {&current.x, &current.y, &trial.x, &trial.y, &last.x, &last.y, &tangent.dx, &tangent.dy})
        v->assign(size, 0.0);
    names.assign(size, std::string());
    if (n == 1) current.x[0] = current.y[0] = 1.0;
    if (firstPhase) firstPhase->number_of_components(n);
    if (secondPhase) secondPhase->number_of_components(n);
}

void VLE::add_component(const char* name) {
    if (name == nullptr || added >= n) {
        vornex::cfprintf(stderr, "add_component: no room for component %s\n", name ? name : "(null)");
        return;
    }
    int index = added;
    names[static_cast<std::size_t>(index)] = name;
    if (firstPhase) firstPhase->add_component(name);
    if (secondPhase) secondPhase->add_component(name);
    read_component_data(index, name);
    added++;
}

void VLE::addComponentList(std::initializer_list<const char*> list) {
    if (n < 1) return;
    added = 0;
    int i = 0;
    for (const char* name : list)
        if (i++ < n) add_component(name);
}

void VLE::read_component_data(int, const char*) {}

std::string VLE::header(const char* prefix, const char* suffix) const {
    std::string text;
    for (const auto& name : names) text += std::string(prefix) + name + suffix;
    return text;
}

// ------------------------------------------------------------ imposed values

void VLE::set_initialization_flag(short flag) {
    initFlag = flag;
}
void VLE::set_the_temperature(double TK) {
    spec.T = TK;
}
void VLE::set_the_pressure(double Pbar) {
    spec.P = 100000.0 * Pbar;
}
void VLE::set_the_volume(double Vm3) {
    spec.V = Vm3;
}
void VLE::set_type_of_problem(short t) {
    type = t;
}
void VLE::set_printing_flag(short flag) {
    printing = flag;
}

void VLE::set_the_vaporization_ratio(double Fv) {
    spec.nV = N * Fv;
    spec.nL = N * (1.0 - Fv);
}

void VLE::set_the_vaporization_ratio1(double phi) {
    spec.phi = phi;
    current.phi = phi;
    current.Fv = phi / ((1.0 - phi) * 100.0 + phi);
    current.nV = current.Fv * N;
    current.nL = (1.0 - current.Fv) * N;
}

bool VLE::set_history(const char* path) {
    if (history.isOpen()) history.commit();
    historyFlag = 0;
    if (path == nullptr || !history.open(path, OutputFile::Mode::Stream)) return false;
    historyFlag = 1;
    return true;
}

// ------------------------------------------------------------ current state

void VLE::temperature(double TK) {
    current.T = trial.T = last.T = TK;
    if (firstPhase) firstPhase->temperature(TK);
    if (secondPhase) secondPhase->temperature(TK);
}

void VLE::pressure(double Pbar) {
    current.P = trial.P = last.P = 100000.0 * Pbar;
    if (firstPhase) firstPhase->pressure(Pbar);
    if (secondPhase) secondPhase->pressure(Pbar);
}

void VLE::vaporization_ratio(double Fv) {
    current.Fv = Fv;
    current.nV = Fv * N;
    current.nL = (1.0 - Fv) * N;
    if (secondPhase) secondPhase->total_number_of_moles(current.nV);
    if (firstPhase) firstPhase->total_number_of_moles(current.nL);
}

void VLE::vaporization_ratio1(double phi) {
    current.phi = phi;
    vaporization_ratio(phi / ((1.0 - phi) * 100.0 + phi));
}

void VLE::bulkCompositionList(std::initializer_list<double> values) {
    if (n < 1) return;
    if (values.size() < static_cast<std::size_t>(n)) {
        vornex::cfprintf(stderr, "bulk_composition: %zu values for %d components; nothing changed\n",
                         values.size(), n);
        return;
    }
    const double* z0 = values.begin();
    for (int i = 0; i < n; i++) composition(i, z0[i]);
}

void VLE::composition(int i, double zi) {
    if (!validComponent(i, "composition")) return;
    z[static_cast<std::size_t>(i)] = zi;
    bulkAmount[static_cast<std::size_t>(i)] = N * zi;
}

void VLE::xcomposition(int i, double xi) {
    if (!validComponent(i, "xcomposition")) return;
    auto k = static_cast<std::size_t>(i);
    current.x[k] = trial.x[k] = last.x[k] = xi;
}

void VLE::ycomposition(int i, double yi) {
    if (!validComponent(i, "ycomposition")) return;
    auto k = static_cast<std::size_t>(i);
    current.y[k] = trial.y[k] = last.y[k] = yi;
}

void VLE::xcomposition(int i, double a, double b, double c, ...) {
    if (!validComponent(i, "xcomposition")) return;
    auto k = static_cast<std::size_t>(i);
    current.x[k] = a;
    trial.x[k] = b;
    last.x[k] = c;
}

void VLE::ycomposition(int i, double a, double b, double c, ...) {
    if (!validComponent(i, "ycomposition")) return;
    auto k = static_cast<std::size_t>(i);
    current.y[k] = a;
    trial.y[k] = b;
    last.y[k] = c;
}

void VLE::apply_conditions() {
    if (!firstPhase || !secondPhase) return;
    for (FluidPhase* phase : {firstPhase, secondPhase}) {
        phase->temperature(current.T);
        phase->pressure(current.P / 100000.0);
    }
    firstPhase->total_number_of_moles(current.nL);
    secondPhase->total_number_of_moles(current.nV);
    for (int i = 0; i < n; i++) {
        auto k = static_cast<std::size_t>(i);
        firstPhase->composition_of_component(i, current.x[k]);
        secondPhase->composition_of_component(i, current.y[k]);
    }
}

// ------------------------------------------------------------------ solving

// The base object holds a problem but has no equilibrium solver: a solve it is asked for
// fails, so that no caller takes the unsolved start for an equilibrium.
namespace {
void noSolver(int16_t& status) {
    status = 1;
    vornex::cfprintf(stderr, "This mixture object has no equilibrium solver\n");
}
}  // namespace

void VLE::calculate_with_fixed_P_and_T() {
    noSolver(status);
}
void VLE::calculate_with_fixed_T_and_Fv() {
    noSolver(status);
}
void VLE::calculate_with_fixed_P_and_Fv() {
    noSolver(status);
}

void VLE::calculateVLE() {
    status = 0;
    initialize();
    if (typeIn(type, {12, 21}))
        calculate_with_fixed_P_and_T();
    else if (typeIn(type, {13, 31}))
        calculate_with_fixed_T_and_Fv();
    else if (typeIn(type, {23, 32}))
        calculate_with_fixed_P_and_Fv();
    else {
        status = 2;
        vornex::cfprintf(stderr, "Type of problem not defined\n");
        return;
    }
    // The history logs every step, the failed ones too.
    estimate_next_state();
}

void VLE::initialize() {
    if (type < 12 || type > 52) return;
    bool nVStep = false;
    if (typeIn(type, {12, 21})) {
        trial.T = spec.T;
        trial.P = spec.P;
    } else if (typeIn(type, {13, 31})) {
        trial.T = spec.T;
        nVStep = true;
    } else if (typeIn(type, {14, 15, 41, 51})) {
        trial.T = spec.T;
    } else if (typeIn(type, {23, 32})) {
        trial.P = spec.P;
        nVStep = true;
    } else if (typeIn(type, {24, 25, 42, 52})) {
        trial.P = spec.P;
    } else {
        return;
    }
    if (nVStep) {
        current.nV = spec.nV;
        // The specified vapour amount is read as a fraction of N here.
        spec.nL = current.nL = (1.0 - spec.nV) * N;
        if (firstPhase) firstPhase->total_number_of_moles(current.nL);
        if (secondPhase) secondPhase->total_number_of_moles(current.nV);
    }
    if (initFlag == 0 || initFlag == 2) {
        current.T = trial.T;
        current.P = trial.P;
        current.x = trial.x;
        current.y = trial.y;
    } else if (initFlag == 3) {
        initialize_from_the_pseudo_critical_point();
    } else if (initFlag == 5) {
        initializeFromFile();
    }
}

void VLE::startFromCurrent() {
    trial.T = last.T = current.T;
    trial.P = last.P = current.P;
    trial.x = last.x = current.x;
    trial.y = last.y = current.y;
}

void VLE::estimate_next_state() {
    startFromCurrent();
    last.Vl = trial.Vl;
    last.Vv = trial.Vv;
    if (historyFlag) {
        historyPrint("T %lg P %lg ", current.T, current.P / 100000.0);
        historyPrint("x ");
        for (double v : current.x) historyPrint("%lg ", v);
        historyPrint("y ");
        for (double v : current.y) historyPrint("%lg ", v);
        historyPrint("\n");
    }
}

void VLE::initialize_from_the_pseudo_critical_point() {
    if (!firstPhase || !secondPhase || N == 0.0) return;
    for (int i = 0; i < n; i++) {
        auto k = static_cast<std::size_t>(i);
        current.x[k] = current.y[k] = z[k] = bulkAmount[k] / N;
        secondPhase->composition_of_component(i, current.y[k]);
        firstPhase->composition_of_component(i, current.x[k]);
    }
    double Tpc = 0.0, Ppc = 0.0, Vpc = 0.0;
    secondPhase->calculate_the_pseudo_critical_point(Tpc, Ppc, Vpc);
    historyPrint("\tTpc %lg Ppc %lg  Vpc %lg \n", Tpc, Ppc / 100000.0, Vpc * 1e6);
    current.T = Tpc - 1.0;
    secondPhase->temperature(current.T);
    firstPhase->temperature(current.T);
    secondPhase->volume(Vpc);
    firstPhase->volume(Vpc);
    secondPhase->calculate_pressure();
    current.P = secondPhase->P;
}

void VLE::print(FILE* out) {
    vornex::cfprintf(out, "Errorflag %d\n", status);
    vornex::cfprintf(out, "\tT %lf K %lf \u00b0C\n", current.T, current.T - 273.15);
    vornex::cfprintf(out, "\tP %lf\n", current.P / 100000.0);
    vornex::cfprintf(out, "\tVl %lf\n", firstPhase ? firstPhase->V * 1e6 : 0.0);
    vornex::cfprintf(out, "\tVv %lf\n", secondPhase ? secondPhase->V * 1e6 : 0.0);
    for (int i = 0; i < n; i++)
        vornex::cfprintf(out, "\t x[%d] : %lf\n", i, current.x[static_cast<std::size_t>(i)]);
    for (int i = 0; i < n; i++)
        vornex::cfprintf(out, "\t y[%d] : %lf\n", i, current.y[static_cast<std::size_t>(i)]);
    vornex::cfprintf(out, "\n");
}

}  // namespace vornex

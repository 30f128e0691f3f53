#include "fluid/Phase.h"
#include "numerics/Decimal.h"

#include <cstdarg>
#include <cstdio>

namespace vornex {

std::vector<double> variadicDoubles(double first, va_list rest, int count) {
    std::vector<double> values;
    if (count < 1) return values;
    values.push_back(first);
    for (int i = 1; i < count; ++i) values.push_back(va_arg(rest, double));
    return values;
}

Phase::~Phase() = default;

void Phase::set_the_phase_as(int selector) {
    phase = selector;
}

void Phase::number_of_components(int count) {
    if (nc >= 1 || count < 1) return;  // the count is fixed by its first setting
    nc = count;
    const auto n = static_cast<size_t>(count);
    x.assign(n, 0.0);
    moles.assign(n, 0.0);
    fugacity.assign(n, 0.0);
    activityCoefficient.assign(n, 0.0);
    fugacityCoefficient.assign(n, 0.0);
    henryConstant.assign(n, 0.0);
    molarMass.assign(n, 0.0);
    componentName.assign(n, std::string());
    dfdT.assign(n, 0.0);
    dfdP.assign(n, 0.0);
    dfdV.assign(n, 0.0);
    dfdx.assign(n, std::vector<double>(n, 0.0));
    if (count == 1) {
        totalMoles = 1.0;
        x[0] = 1.0;
        moles[0] = 1.0;
    }
}

void Phase::add_component(const char* name) {
    if (componentsAdded >= nc || name == nullptr) return;
    const int k = componentsAdded;
    componentName[static_cast<size_t>(k)] = name;
    read_component_data(k, name);
    if (k == nc - 1) read_remaining_component_data();
    ++componentsAdded;
    // Once every molar mass is known the bulk one is too, before any state is computed.
    if (componentsAdded == nc) {
        const double m = bulkMolarMass();
        if (m > 0.0) M = m;
    }
}

void Phase::addComponentList(std::initializer_list<const char*> names) {
    if (nc < 1) return;
    int i = 0;
    for (const char* name : names)
        if (i++ < nc) add_component(name);
}

namespace {
// Whether a list of per-component values covers every component; said when it does not.
bool coversComponents(const Phase& phase, size_t given, const char* what) {
    if (given >= static_cast<size_t>(phase.nc)) return true;
    vornex::cfprintf(stderr, "%s: %zu values for %d components; nothing changed\n", what, given,
                     phase.nc);
    return false;
}
}  // namespace

void Phase::read_component_data(int, const char*) {}

void Phase::read_remaining_component_data() {}

void Phase::temperature(double TK) {
    T = TK;
}

void Phase::pressure(double Pbar) {
    P = Pbar * 1e5;
}

void Phase::volume(double Vm3) {
    V = Vm3;
}

bool Phase::validComponent(int i, const char* operation) const {
    if (i >= 0 && i < nc) return true;
    vornex::cfprintf(stderr, "%s: component index %d outside 0 .. %d\n", operation, i, nc - 1);
    return false;
}

void Phase::composition_of_component(int i, double xi) {
    if (!validComponent(i, "composition_of_component")) return;
    x[static_cast<size_t>(i)] = xi;
    if (totalMoles != 0.0) moles[static_cast<size_t>(i)] = xi * totalMoles;
}

void Phase::numberOfMolesList(std::initializer_list<double> amounts) {
    if (nc < 1) return;
    if (!coversComponents(*this, amounts.size(), "number_of_moles")) {
        error = 1;
        return;
    }
    const double* n = amounts.begin();
    for (int i = 0; i < nc; ++i) number_of_moles_of_component(i, n[i]);
}

void Phase::number_of_moles_of_component(int i, double ni) {
    if (!validComponent(i, "number_of_moles_of_component")) return;
    moles[static_cast<size_t>(i)] = ni;
    // Through the virtual setter, so that a model's terms compute at the new fraction too.
    if (totalMoles != 0.0) composition_of_component(i, ni / totalMoles);
    moles[static_cast<size_t>(i)] = ni;
}

void Phase::total_number_of_moles(double n) {
    totalMoles = n;
}

void Phase::describe() {}

void Phase::tune(double*) {
    std::fputs("Not implemented\n", stderr);
}

void Phase::set_model_parameter(int, double) {
    std::fputs("Not implemented\n", stderr);
}

void Phase::calculate_molar_volume() {
    std::fputs("Not implemented\n", stderr);
}

void Phase::molality(double) {}

void Phase::setModelName(const char* name) {
    modelName = name ? name : "";
}

void Phase::setComponent(int i, const char* name) {
    if (!validComponent(i, "setComponent")) return;
    componentName[static_cast<size_t>(i)] = name ? name : "";
}

void Phase::composition(const double* fractions) {
    if (fractions == nullptr) return;
    for (int i = 0; i < nc; ++i) composition_of_component(i, fractions[i]);
    normalizeCompositions();
}

void Phase::compositionList(std::initializer_list<double> fractions) {
    if (nc < 1) return;
    if (!coversComponents(*this, fractions.size(), "composition")) {
        error = 1;
        return;
    }
    composition(fractions.begin());
}

void Phase::composition_of(const char* name, double xi) {
    if (name == nullptr) return;
    for (int i = 0; i < nc; ++i)
        if (componentName[static_cast<size_t>(i)] == name) {
            composition_of_component(i, xi);
            return;
        }
}

void Phase::normalizeCompositions() {
    if (nc < 1) return;
    double sum = 0.0;
    for (double xi : x) sum += xi;
    if (sum < 0.9999 || sum > 1.0001) {
        for (int i = 0; i < nc; ++i)
            composition_of_component(i, sum == 0.0 ? 1.0 / nc : x[static_cast<size_t>(i)] / sum);
    }
    M = bulkMolarMass();
}

double Phase::bulkMolarMass() const {
    double m = 0.0;
    for (int i = 0; i < nc; ++i) m += x[static_cast<size_t>(i)] * molarMass[static_cast<size_t>(i)];
    return m;
}

void Phase::calculateBulkMolarWeight() {
    M = bulkMolarMass();
    rho = V != 0.0 ? M / V : 0.0;
}

void Phase::ft3lb(double v) {
    // 1 ft3/lb in m3/kg, exact from the foot (0.3048 m) and the pound (0.45359237 kg).
    constexpr double kCubicFootPerPound = 0.3048 * 0.3048 * 0.3048 / 0.45359237;
    volume(kCubicFootPerPound * v * bulkMolarMass());
}

void Phase::cm3g(double v) {
    volume(0.001 * v * bulkMolarMass());
}

void Phase::gcm3(double density) {
    volume(bulkMolarMass() / (1000.0 * density));
}

void Phase::Pascal(double PPa) {
    pressure(PPa / 1e5);
}

void Phase::print(FILE* out) {
    vornex::cfprintf(out, "errorflag %d\n", error);
    std::fputs("x    ", out);
    for (int i = 0; i < nc; ++i) vornex::cfprintf(out, "%lg ", x[static_cast<size_t>(i)]);
    std::fputs("\n", out);
    vornex::cfprintf(out, "T    %lg K\n", T);
    vornex::cfprintf(out, "P    %lg bar\n", P / 1e5);
    vornex::cfprintf(out, "V    %lg cm3/mol\n\n", 1e6 * V);
}

}  // namespace vornex
